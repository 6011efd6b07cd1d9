// Unit1: TForm1, the main dialog of drelbin.exe, built from the form
// resource TFORM1 (resources/tform1.dfm): the note and the button that runs
// the repair.
#pragma once

#include "shell/win32/form.h"

namespace drelbin {

class TForm1 : public TForm {
 public:
  explicit TForm1(TApplication& owner);

  // Set from the form resource; the program does not touch them afterwards.
  HWND Button1;
  HWND Label1;

  // The repair command: OnClick of Button1.
  void Button1Click(HWND Sender);
};

// The dialog, once the start-up has created it.
extern TForm1* Form1;

}  // namespace drelbin

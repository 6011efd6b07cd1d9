// Unit1: TForm1, the main dialog, built from its layout in the program's
// resources (/drelbin/form1.ui, /drelbin/form1.css).
#pragma once

#include <gtk/gtk.h>

#include "repair/repair_command.h"
#include "shell/gtk/application.h"

namespace drelbin {

class TForm1 final : private RepairCommandHost {
 public:
  // Builds the dialog, hidden, with its texts, font and layout scaled to the
  // font.  Throws Exception when the layout cannot be loaded.
  explicit TForm1(TApplication& application);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1() override;

  GtkWindow* Window() const { return window_; }

  // The repair command, bound to Button1's "clicked" by the layout.  No
  // exception leaves it: errors go to the error box and the dialog stays.
  void Button1Click() noexcept;

  GtkButton* Button1;
  GtkLabel* Label1;

 private:
  void ShowResultMessage(const AnsiString& text) override;
  void CloseDialog() override;

  TApplication& application_;
  GtkWindow* window_;
};

}  // namespace drelbin

// TApplication: the frame of the Linux program on GTK 3.
//
// It opens the display, gives the program its name, window class and icon,
// runs the message loop until the main form closes, and shows the program's
// two kinds of message box: the plain one of the repair command and the
// error box.  It holds no repair logic.
#pragma once

#include <gtk/gtk.h>

#include "repair/ansi_text.h"
#include "repair/exceptions.h"

namespace drelbin {

class TApplication {
 public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Opens the display and loads the program icon.  False, with the reason
  // on standard error, when there is no display to show a window on.
  bool Initialize(int* argc, char*** argv);

  // The program's name: its task-list entry and window class, and the
  // caption of every error box.
  void SetTitle(const AnsiString& title);

  // The window whose closing ends the message loop.  Message boxes are kept
  // above it and block its input while they are up.
  void SetMainForm(GtkWindow* form);

  // Shows the main form and dispatches events until it is closed.
  void Run();

  // A modal message over the main form with one OK button and no icon;
  // returns once the user has dismissed it.
  void MessageBox(const AnsiString& text, const AnsiString& caption);

  // The error box: the error's text by the program's rule, the title as
  // caption, the error icon and one OK button; modal like MessageBox.
  void ShowException(const Exception& error);

 private:
  GtkWidget* NewMessageBox(const AnsiString& text, const AnsiString& caption, GtkMessageType type);
  void RunMessageBox(GtkWidget* box);

  AnsiString title_;
  GtkWindow* main_form_ = nullptr;
};

}  // namespace drelbin

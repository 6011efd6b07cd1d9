// TApplication: the application object of drelbin.exe.
//
// It owns the application window, which has no visible area but gives the
// running program its task-list entry (the title and the icon MAINICON) and
// owns the dialog and every message box; the forms, the first of which is
// the main form; the message loop; and the error box.  Everything runs on
// the one thread that created it.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/windows_api.h"
#include "repair/ansi_text.h"
#include "repair/exceptions.h"

namespace drelbin {

class TForm;

class TApplication {
 public:
  explicit TApplication(HINSTANCE instance) : instance_(instance) {}
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  // Destroys the forms, then the application window.
  ~TApplication();

  // Creates the application window (hidden until Run).  Throws Exception.
  void Initialize();

  // The text of the task-list entry and the caption of every error box.
  void SetTitle(const AnsiString& title);

  // Constructs a form of class `Form`, owned by the application, and sets
  // `reference` to it; the first form created becomes the main form.  When
  // construction throws, `reference` stays as it was.
  template <class Form>
  void CreateForm(Form*& reference) {
    auto form = std::make_unique<Form>(*this);
    reference = form.get();
    forms_.push_back(std::move(form));
  }

  // Shows the application window and the main form and runs the message
  // loop until Terminate.
  void Run();

  // Ends the message loop once the message in hand has been handled.
  void Terminate();

  // A modal message box owned by the application window.  While it is up,
  // every window of the program is disabled; afterwards the active window and
  // the focus are restored.  Returns what MessageBoxA returned.
  int ShowMessageBox(const AnsiString& text, const AnsiString& caption, UINT style);

  // The error box: the error's text by the program's rule, the title as
  // caption, the stop icon and one OK button.
  void ShowException(const Exception& error);

  // Runs an event handler for a window procedure: an error that leaves it is
  // shown in the error box and goes no further, so that no C++ exception
  // ever unwinds through the window system.
  template <class Handler>
  void HandleEvent(Handler&& handler) noexcept {
    try {
      std::forward<Handler>(handler)();
    } catch (const Exception& error) {
      ShowException(error);
    } catch (...) {
      ShowException(Exception(""));
    }
  }

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  TForm* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

  HINSTANCE instance_;
  HWND window_ = nullptr;
  AnsiString title_;
  std::vector<std::unique_ptr<TForm>> forms_;
};

}  // namespace drelbin

#include "shell/win32/application.h"

#include <commctrl.h>

#include "repair/error_box_text.h"
#include "shell/win32/form.h"

namespace drelbin {
namespace {

constexpr char kWindowClass[] = "drelbin";

}  // namespace

TApplication::~TApplication() {
  forms_.clear();
  if (window_) DestroyWindow(window_);
}

void TApplication::Initialize() {
  // The dialog's controls take the current look (common controls 6, as the
  // manifest asks).
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance_;
  window_class.hIcon = LoadIconA(instance_, "MAINICON");
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  window_class.lpszClassName = kWindowClass;
  if (!RegisterClassA(&window_class)) throw Exception("Cannot register the application window");

  // A popup of no size: it has no visible area, yet once shown it is the
  // program's entry in the task list.
  window_ = CreateWindowExA(0, kWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, instance_, this);
  if (!window_) throw Exception("Cannot create the application window");
}

void TApplication::SetTitle(const AnsiString& title) {
  title_ = title;
  if (window_) SetWindowTextA(window_, title_.c_str());
}

void TApplication::Run() {
  TForm* main_form = MainForm();
  if (!main_form) return;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  main_form->Show();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The dialog's keys: Enter, Space, Tab, Escape.
    if (IsDialogMessageA(main_form->Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

int TApplication::ShowMessageBox(const AnsiString& text, const AnsiString& caption, UINT style) {
  // MessageBoxA disables only its owner, the application window; the forms
  // are its siblings and must take no input either, or a second click could
  // start the repair again while its message is up.
  const HWND active = GetActiveWindow();
  const HWND focus = GetFocus();
  std::vector<HWND> disabled;
  disabled.reserve(forms_.size());
  for (const auto& form : forms_) {
    if (IsWindowEnabled(form->Handle())) {
      EnableWindow(form->Handle(), FALSE);
      disabled.push_back(form->Handle());
    }
  }
  const int result = ::MessageBoxA(window_, text.c_str(), caption.c_str(), style);
  for (const HWND window : disabled) EnableWindow(window, TRUE);
  if (active && IsWindow(active)) SetActiveWindow(active);
  if (focus && IsWindow(focus)) SetFocus(focus);
  return result;
}

void TApplication::ShowException(const Exception& error) {
  ShowMessageBox(ErrorBoxText(error.Message()), title_, MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (application) {
    switch (message) {
      case WM_CLOSE:
        // Close in the task-list entry's menu: close the main form.
        if (TForm* main_form = application->MainForm()) {
          application->HandleEvent([main_form] { main_form->Close(); });
        }
        return 0;
      case WM_SETFOCUS: {
        // Picked from the task list: hand the activation on to the dialog,
        // or to the message box that is up over it.
        const HWND popup = GetLastActivePopup(window);
        if (popup && popup != window && IsWindowEnabled(popup)) SetActiveWindow(popup);
        return 0;
      }
      case WM_ENDSESSION:
        if (wparam) application->Terminate();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace drelbin

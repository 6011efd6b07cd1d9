// TForm: a modeless dialog built from a form resource.
//
// The form resource (form_resource.h) gives the window and its controls in
// pixels at 96 pixels per inch.  Constructing a form reads it, creates the
// window (hidden) with a fixed dialog frame and only a close button, and
// creates its labels (TLabel) and push buttons (TButton), scaled once to the
// screen: the font follows the screen's pixel density, and the client size
// and the controls follow the measured height of "0" in that font against
// the form's TextHeight.  The window position is never scaled.
//
// The form's context reaches its dialog procedure through the window
// (DWLP_USER).  A click runs the handler that the resource names (OnClick),
// looked up in the table that the form class passes in.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/win32/windows_api.h"
#include "repair/ansi_text.h"

namespace drelbin {

class TApplication;
struct FormObject;

// An event handler of a form class, by the name that a form resource uses.
struct TFormMethod {
  std::string_view name;
  std::function<void(HWND sender)> handler;
};

class TForm {
 public:
  // Loads the form resource `resource_name` (RCDATA) of the program.  Throws
  // Exception when it is missing or malformed, names a class or a method
  // that the program lacks, or when a window cannot be created.
  TForm(TApplication& application, const char* resource_name, std::vector<TFormMethod> methods);
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;
  virtual ~TForm();

  HWND Handle() const { return window_.get(); }
  void Show();
  // Closes the form.  The program has one form, its main form, so closing
  // it ends the program; nothing asks first.
  void Close();

 protected:
  TApplication& Application() const { return application_; }
  // The control named `name` in the form resource; throws when none is.
  HWND Component(std::string_view name) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls(const FormObject& form, const std::vector<TFormMethod>& methods, HDC dc,
                      int text_height);
  void Click(int id, HWND sender);

  struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
  };
  struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
  };

  TApplication& application_;
  // The window goes before the font that its controls use.
  std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> font_;
  std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> window_;
  std::map<AnsiString, HWND, std::less<>> components_;
  std::map<int, std::function<void(HWND)>> click_handlers_;  // by control id
};

}  // namespace drelbin

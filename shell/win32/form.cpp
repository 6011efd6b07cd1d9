#include "shell/win32/form.h"

#include <algorithm>

#include "repair/exceptions.h"
#include "shell/win32/application.h"
#include "shell/win32/form_resource.h"

namespace drelbin {
namespace {

// Control ids start clear of IDOK and IDCANCEL, which the dialog manager
// sends for Enter (when no button is the default) and for Escape.
constexpr int kFirstControlId = 100;

// A fixed dialog frame with a system menu: only the close button, no icon.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// The window of a form is a dialog made from this empty template; the form
// resource then gives it its caption, size, position and controls in pixels.
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD window_class;
  WORD title;
};

std::string_view LoadFormText(HINSTANCE instance, const char* name) {
  const HRSRC found = FindResourceA(instance, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw Exception("Resource " + AnsiString(name) + " not found");
  return {static_cast<const char*>(data), SizeofResource(instance, found)};
}

class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {
    if (!dc_) throw Exception("Cannot reach the screen");
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  ~ScreenDC() { ReleaseDC(nullptr, dc_); }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class FontSelection {
 public:
  FontSelection(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
  FontSelection(const FontSelection&) = delete;
  FontSelection& operator=(const FontSelection&) = delete;
  ~FontSelection() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

int CALLBACK NoteFontFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(HDC dc, const char* face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExA(dc, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// Proportional Gothic faces that show Japanese, tried in this order where
// the form's face is not installed: its English name (Windows in another
// language), the faces of newer Windows, and IPA's on Wine.
constexpr const char* kFallbackFaces[] = {"MS PGothic", "Meiryo UI", "Yu Gothic UI", "IPAPGothic"};

// The form's font at the screen's pixel density, in the form's face or the
// first fallback face installed; failing all, whatever face the font mapper
// takes for the Shift_JIS character set.
HFONT CreateFormFont(const FormObject& form, HDC dc) {
  form.Require("Font.Charset", "SHIFTJIS_CHARSET");
  form.Require("Font.Color", "clWindowText");
  form.Require("Font.Style", "[]");
  const AnsiString& face = form.Text("Font.Name");
  if (face.size() >= LF_FACESIZE) throw Exception("Font name " + face + " too long");

  LOGFONTA font{};
  font.lfHeight = MulDiv(form.Integer("Font.Height"), GetDeviceCaps(dc, LOGPIXELSY),
                         form.Integer("PixelsPerInch"));
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  if (FontInstalled(dc, face.c_str())) {
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  } else {
    for (const char* fallback : kFallbackFaces) {
      if (FontInstalled(dc, fallback)) {
        lstrcpynA(font.lfFaceName, fallback, LF_FACESIZE);
        break;
      }
    }
  }
  const HFONT created = CreateFontIndirectA(&font);
  if (!created) throw Exception("Cannot create the font " + face);
  return created;
}

SIZE TextSize(HDC dc, const AnsiString& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

TForm::TForm(TApplication& application, const char* resource_name, std::vector<TFormMethod> methods)
    : application_(application) {
  const FormObject form = ParseForm(LoadFormText(application.Instance(), resource_name));
  form.Require("BorderStyle", "bsDialog");
  form.Require("Color", "clBtnFace");

  const ScreenDC screen;
  font_.reset(CreateFormFont(form, screen.Get()));
  const FontSelection selection(screen.Get(), font_.get());
  const int text_height = TextSize(screen.Get(), "0").cy;

  EmptyDialogTemplate empty{};
  empty.header.style = kDialogStyle;
  window_.reset(CreateDialogIndirectParamA(application.Instance(), &empty.header,
                                           application.Handle(), DialogProc,
                                           reinterpret_cast<LPARAM>(this)));
  if (!window_) throw Exception("Cannot create the window of " + form.name);
  SetWindowTextA(window_.get(), form.Text("Caption").c_str());

  CreateControls(form, methods, screen.Get(), text_height);

  const int design_height = form.Integer("TextHeight");
  RECT frame{0, 0, MulDiv(form.Integer("ClientWidth"), text_height, design_height),
             MulDiv(form.Integer("ClientHeight"), text_height, design_height)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window_.get(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(window_.get(), GWL_EXSTYLE)));
  // Left and Top place the window's corner on the screen, unscaled.
  SetWindowPos(window_.get(), nullptr, form.Integer("Left"), form.Integer("Top"),
               frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CreateControls(const FormObject& form, const std::vector<TFormMethod>& methods, HDC dc,
                           int text_height) {
  const int design_height = form.Integer("TextHeight");
  const auto scale = [&](int pixels) { return MulDiv(pixels, text_height, design_height); };
  int id = kFirstControlId;
  // The controls take the tab order in which the resource lists them.
  for (const FormObject& control : form.children) {
    const AnsiString& caption = control.Text("Caption");
    const char* window_class = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE;
    SIZE size{};
    if (control.class_name == "TLabel") {
      // One left-aligned line, as large as its text in the form's font.
      window_class = "STATIC";
      style |= SS_LEFTNOWORDWRAP;
      size = TextSize(dc, caption);
    } else if (control.class_name == "TButton") {
      window_class = "BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      size = {scale(control.Integer("Width")), scale(control.Integer("Height"))};
    } else {
      throw Exception("Class " + control.class_name + " not found");
    }
    const HWND handle = CreateWindowExA(
        0, window_class, caption.c_str(), style, scale(control.Integer("Left")),
        scale(control.Integer("Top")), size.cx, size.cy, window_.get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), application_.Instance(), nullptr);
    if (!handle) throw Exception("Cannot create the window of " + control.name);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    components_[control.name] = handle;

    if (const auto on_click = control.properties.find("OnClick");
        on_click != control.properties.end()) {
      const auto method = std::find_if(methods.begin(), methods.end(), [&](const TFormMethod& m) {
        return m.name == on_click->second;
      });
      if (method == methods.end()) throw Exception("Method " + on_click->second + " not found");
      click_handlers_[id] = method->handler;
    }
    ++id;
  }
}

TForm::~TForm() {
  if (window_) SetWindowLongPtrA(window_.get(), DWLP_USER, 0);
}

void TForm::Show() { ShowWindow(window_.get(), SW_SHOWNORMAL); }

void TForm::Close() { application_.Terminate(); }

HWND TForm::Component(std::string_view name) const {
  const auto found = components_.find(name);
  if (found == components_.end()) throw Exception("Component " + AnsiString(name) + " not found");
  return found->second;
}

void TForm::Click(int id, HWND sender) {
  const auto found = click_handlers_.find(id);
  if (found == click_handlers_.end()) return;
  application_.HandleEvent([&] { found->second(sender); });
}

INT_PTR CALLBACK TForm::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lparam);
    return FALSE;
  }
  auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!form) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // Escape arrives as IDCANCEL, which no control has: it does nothing.
      if (HIWORD(wparam) == BN_CLICKED) form->Click(LOWORD(wparam), reinterpret_cast<HWND>(lparam));
      return TRUE;
    case DM_GETDEFID: {
      // Enter presses the push button that has the focus, and no other.
      const HWND focus = GetFocus();
      LRESULT result = 0;
      if (focus && IsChild(window, focus) &&
          (SendMessageA(focus, WM_GETDLGCODE, 0, 0) &
           (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        result = MAKELONG(GetDlgCtrlID(focus), DC_HASDEFID);
      }
      SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_CLOSE:
      // The close button, Alt+F4 and Close in the system menu.
      form->application_.HandleEvent([form] { form->Close(); });
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace drelbin

#include "shell/win32/unit1.h"

#include "repair/repair_command.h"
#include "shell/win32/application.h"

namespace drelbin {

TForm1* Form1 = nullptr;

namespace {

// What the repair command needs of the window system: the application's
// message box, and closing the dialog.
class DialogCommandHost final : public RepairCommandHost {
 public:
  DialogCommandHost(TApplication& application, TForm& dialog)
      : application_(application), dialog_(dialog) {}
  void ShowResultMessage(const AnsiString& text) override {
    application_.ShowMessageBox(text, "", 0);
  }
  void CloseDialog() override { dialog_.Close(); }

 private:
  TApplication& application_;
  TForm& dialog_;
};

}  // namespace

TForm1::TForm1(TApplication& owner)
    : TForm(owner, "TFORM1", {{"Button1Click", [this](HWND sender) { Button1Click(sender); }}}),
      Button1(Component("Button1")),
      Label1(Component("Label1")) {}

void TForm1::Button1Click(HWND /*Sender*/) {
  DialogCommandHost host(Application(), *this);
  RunRepairCommand(host);
}

}  // namespace drelbin

// drelbin.exe: the entry function.  Sets up the application, creates the
// dialog and runs it; every error that reaches here is shown in the error
// box.  The exit code is 0 on every path.
#include "repair/exceptions.h"
#include "repair/messages.h"
#include "shell/win32/application.h"
#include "shell/win32/unit1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  drelbin::TApplication application(instance);
  try {
    application.Initialize();
    application.SetTitle(drelbin::messages::kApplicationTitle);
    application.CreateForm(drelbin::Form1);
    application.Run();
  } catch (const drelbin::Exception& error) {
    application.ShowException(error);
  } catch (...) {
    application.ShowException(drelbin::Exception(""));
  }
  return 0;
}

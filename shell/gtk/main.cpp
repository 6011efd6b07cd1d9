// drelbin for Linux: the entry function.  It repairs the TARNVEX
// application that runs in the user's Wine prefix.
#include "repair/exceptions.h"
#include "repair/messages.h"
#include "shell/gtk/application.h"
#include "shell/gtk/unit1.h"

int main(int argc, char** argv) {
  drelbin::TApplication application;
  try {
    if (!application.Initialize(&argc, &argv)) return 0;
    application.SetTitle(drelbin::messages::kApplicationTitle);
    drelbin::TForm1 form1(application);
    application.SetMainForm(form1.Window());
    application.Run();
  } catch (const drelbin::Exception& error) {
    application.ShowException(error);
  } catch (...) {
    application.ShowException(drelbin::Exception(""));
  }
  return 0;
}

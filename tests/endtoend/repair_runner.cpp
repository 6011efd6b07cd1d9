// One repair as the Linux program makes it, without a window: the Wine
// prefix's registry and drives (WINEPREFIX, as for the program), both
// lookups, the message printed to standard output -- or, when a lookup
// raises an error, the error box's text.  Exits with 0, as the program does.
// Built only for the end-to-end tests (syscall budget, valgrind, faults).
#include <cstdio>
#include <string>

#include "repair/error_box_text.h"
#include "repair/exceptions.h"
#include "repair/repair_command.h"

namespace {

void PrintLine(const drelbin::AnsiString& text) {
  const std::string line = text + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

class PrintingHost : public drelbin::RepairCommandHost {
 public:
  void ShowResultMessage(const drelbin::AnsiString& text) override { PrintLine(text); }
  void CloseDialog() override {}
};

}  // namespace

int main() {
  PrintingHost host;
  try {
    drelbin::RunRepairCommand(host);
  } catch (const drelbin::Exception& error) {
    PrintLine(drelbin::ErrorBoxText(error.Message()));
  }
  return 0;
}

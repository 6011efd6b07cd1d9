// One repair as the Linux program makes it, without a window: both lookups,
// the message choice, the message printed to standard output.  Built only
// for the end-to-end tests (syscall budget, valgrind).
//
//   drelbin_repair_runner DISPLAY_ICON COMMON_DATA_PATH
//
// The two values stand in the registry; an empty argument leaves its key out.
#include <cstdio>
#include <string>

#include "repair/lookups.h"
#include "repair/repair_command.h"
#include "tests/fakes/fake_registry.h"

namespace {

class PrintingHost : public drelbin::RepairCommandHost {
 public:
  void ShowResultMessage(const drelbin::AnsiString& text) override {
    const std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
  void CloseDialog() override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DISPLAY_ICON COMMON_DATA_PATH\n", argv[0]);
    return 2;
  }
  auto& registry = drelbin::testing::FakeRegistry::Instance();
  const std::string display_icon = argv[1], common_data_path = argv[2];
  if (!display_icon.empty()) {
    registry.SetValue(drelbin::registry::Root::LocalMachine, drelbin::kUninstallKey.substr(1),
                      drelbin::kDisplayIconValue, drelbin::registry::kRegSz, display_icon);
  }
  if (!common_data_path.empty()) {
    registry.SetValue(drelbin::registry::Root::CurrentUser, drelbin::kSettingsKey.substr(1),
                      drelbin::kCommonDataPathValue, drelbin::registry::kRegSz, common_data_path);
  }
  PrintingHost host;
  drelbin::RunRepairCommand(host);
  return 0;
}

#include "tests/faults/fault_test.h"

#include "repair/lookups.h"
#include "repair/messages.h"
#include "repair/repair_command.h"
#include "tests/fakes/fake_registry.h"

namespace drelbin::testing {
namespace {

class RecordingHost : public RepairCommandHost {
 public:
  void ShowResultMessage(const AnsiString& text) override { messages.push_back(text); }
  void CloseDialog() override { ++closes; }

  std::vector<AnsiString> messages;
  int closes = 0;
};

}  // namespace

std::string PrintThrough(Through through) {
  return through == Through::Writer ? "Writer" : "Command";
}

FaultTest::FaultTest() : descriptors_before_(OpenDescriptorCount()) {}

FaultTest::~FaultTest() {
  EXPECT_EQ(OpenDescriptorCount(), descriptors_before_) << "a descriptor was left open";
}

RepairOutcome FaultTest::Repair(Through through) {
  RepairOutcome outcome;
  if (through == Through::Writer) {
    outcome.code = WriteTaxRateTable(control_file_);
    return outcome;
  }
  auto& registry = FakeRegistry::Instance();
  registry.Clear();
  registry.SetValue(registry::Root::CurrentUser, kSettingsKey.substr(1), kCommonDataPathValue,
                    registry::kRegSz, folder_.path().string() + "/");
  RecordingHost host;
  RunRepairCommand(host);
  outcome.messages = host.messages;
  outcome.closes = host.closes;
  outcome.keys_closed = registry.OpenKeyCount() == 0;
  return outcome;
}

void FaultTest::ExpectOutcome(Through through, const RepairOutcome& outcome, WriteResult expected) {
  if (through == Through::Writer) {
    EXPECT_EQ(outcome.code, expected);
    return;
  }
  const AnsiString& message = expected == wrDone ? messages::kRepaired : messages::kNotFound;
  EXPECT_EQ(outcome.messages, std::vector<AnsiString>{message});
  EXPECT_EQ(outcome.closes, 1);
  EXPECT_TRUE(outcome.keys_closed) << "a registry key was left open";
}

void FaultTest::ExpectOnlyTableChanged() {
  EXPECT_TRUE(OnlyTableBytesChanged(before_, TakeCensus(folder_.path())));
}

}  // namespace drelbin::testing

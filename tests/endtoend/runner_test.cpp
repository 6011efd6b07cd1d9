// The runner itself, with no tool around it: what the tools' runs compare to.
#include "tests/endtoend/repair_fixture.h"

namespace drelbin::testing {
namespace {

TEST_F(EndToEndTest, RepairsTheControlFileAndSaysSo) {
  ExpectRepaired(RunProgram(RunnerCommand()));
}

TEST_F(EndToEndTest, WithNoControlFileSaysNotFoundAndTouchesNothing) {
  std::filesystem::remove(control_file_);
  before_ = TakeCensus(prefix_.prefix());
  const ProgramRun run = RunProgram(RunnerCommand());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, messages::kNotFound + "\n");
  EXPECT_TRUE(OnlyTableBytesChanged(before_, TakeCensus(prefix_.prefix())));
}

TEST_F(EndToEndTest, ValueThatIsNoTextShowsTheErrorAndExitsWithZero) {
  GiveDisplayIconANumber();
  ExpectDataTypeError(RunProgram(RunnerCommand()));
}

}  // namespace
}  // namespace drelbin::testing

// valgrind's memcheck over one repair: no error, and no leak of any kind
// that counts (definite, indirect, possible), suppressing nothing.
#include "tests/endtoend/repair_fixture.h"

namespace drelbin::testing {
namespace {

// The runner under memcheck: its run, and memcheck's report.
std::pair<ProgramRun, std::string> RunUnderMemcheck(const std::vector<std::string>& runner) {
  TempFolder logs;
  const std::string log_file = logs / "memcheck.log";
  std::vector<std::string> command = {"valgrind",
                                      "--tool=memcheck",
                                      "--error-exitcode=99",
                                      "--leak-check=full",
                                      "--show-leak-kinds=all",
                                      "--errors-for-leak-kinds=definite,indirect,possible",
                                      "--track-origins=yes",
                                      "--log-file=" + log_file};
  command.insert(command.end(), runner.begin(), runner.end());
  ProgramRun run = RunProgram(command);
  const Bytes log = ReadFileBytes(log_file);
  return {std::move(run), std::string(log.begin(), log.end())};
}

TEST_F(EndToEndTest, MemcheckFindsNoErrorAndNoLeakInARepair) {
  const auto [run, report] = RunUnderMemcheck(RunnerCommand());
  ExpectRepaired(run);
  EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}

TEST_F(EndToEndTest, MemcheckFindsNoErrorAndNoLeakWhenALookupRaises) {
  GiveDisplayIconANumber();
  const auto [run, report] = RunUnderMemcheck(RunnerCommand());
  ExpectDataTypeError(run);
  EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}

}  // namespace
}  // namespace drelbin::testing

// valgrind's memcheck over one repair: no error, and no leak of any kind
// that counts (definite, indirect, possible), suppressing nothing.
#include "tests/endtoend/repair_fixture.h"

namespace drelbin::testing {
namespace {

TEST_F(EndToEndTest, MemcheckFindsNoErrorAndNoLeak) {
  TempFolder logs;
  const std::string log_file = logs / "memcheck.log";
  std::vector<std::string> command = {"valgrind",
                                      "--tool=memcheck",
                                      "--error-exitcode=99",
                                      "--leak-check=full",
                                      "--show-leak-kinds=all",
                                      "--errors-for-leak-kinds=definite,indirect,possible",
                                      "--track-origins=yes",
                                      "--trace-children=no",
                                      "--log-file=" + log_file};
  for (const auto& arg : RunnerCommand()) command.push_back(arg);
  const ProgramRun run = RunProgram(command);
  const Bytes log = ReadFileBytes(log_file);
  const std::string report(log.begin(), log.end());
  ExpectRepaired(run);
  EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}

}  // namespace
}  // namespace drelbin::testing

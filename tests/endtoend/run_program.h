// Runs a program to its end and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace drelbin::testing {

struct ProgramRun {
  int exit_code = -1;  // -1 when it did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  std::string out;     // standard output (a pipe)
  std::string err;     // standard error (a pipe)
};

// Runs `argv` (argv[0] searched in PATH) with the environment of this process.
ProgramRun RunProgram(const std::vector<std::string>& argv);

}  // namespace drelbin::testing

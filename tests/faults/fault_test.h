// The frame of every fault case: a control file among other files in a
// fresh folder, a repair run either through the writer alone or through the
// whole repair command (registry in memory, files real), and the checks that
// hold whatever the fault: the expected result code or message, no byte
// changed outside the table in any file, no descriptor left open.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "repair/ansi_text.h"
#include "repair/tax_rate_writer.h"
#include "tests/faults/file_census.h"
#include "tests/support/temp_folder.h"

namespace drelbin::testing {

enum class Through { Writer, Command };
std::string PrintThrough(Through through);
inline void PrintTo(Through through, std::ostream* os) { *os << PrintThrough(through); }

// Names a case of a table crossed with the two ways through: the case's own
// name, then Writer or Command.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<std::tuple<Case, Through>>& param) {
  return std::string(std::get<0>(param.param).name) + PrintThrough(std::get<1>(param.param));
}

// What one repair gave: the writer's code, or the command's messages and
// closes; whether every registry key was closed again.
struct RepairOutcome {
  std::int32_t code = -1;
  std::vector<AnsiString> messages;
  int closes = 0;
  bool keys_closed = true;
};

class FaultTest : public ::testing::Test {
 protected:
  FaultTest();
  ~FaultTest() override;

  // Runs one repair of control_file_.  Through the command, the per-user
  // settings point at control_file_ and the uninstall entry is missing, so
  // the message tells whether this one file was repaired.
  RepairOutcome Repair(Through through);
  // Checks the writer's code or the command's message against `expected`.
  static void ExpectOutcome(Through through, const RepairOutcome& outcome, WriteResult expected);
  void RepairAndExpect(Through through, WriteResult expected) {
    ExpectOutcome(through, Repair(through), expected);
  }

  // Checks that since `before_` no byte outside the table changed.
  void ExpectOnlyTableChanged();

  TempFolder folder_;
  const std::string control_file_ = folder_ / "CDCCTL.DAT";
  FileCensus before_;  // set by each test once its files are in place

 private:
  int descriptors_before_;
};

}  // namespace drelbin::testing

// A folder with a control file and a neighbour, and the runner's view of it:
// the per-user settings lead to the control file, the uninstall entry to a
// folder that does not exist, so both lookups run and one file is repaired.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/messages.h"
#include "repair/tax_rate_table.h"
#include "tests/endtoend/run_program.h"
#include "tests/support/temp_folder.h"

namespace drelbin::testing {

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    WriteFileBytes(control_file_, before_);
    WriteFileBytes(folder_ / "OTHER.DAT", PatternBytes(300));
  }

  // The runner's command line, to append to a tool's own.
  std::vector<std::string> RunnerCommand() const {
    return {DRELBIN_REPAIR_RUNNER, "Z:\\nowhere\\app.exe,0", folder_.path().string() + "/"};
  }

  // The runner printed the success message and repaired the control file,
  // leaving the neighbour as it was.
  void ExpectRepaired(const ProgramRun& run) const {
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, messages::kRepaired + "\n");
    Bytes expected = before_;
    const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
    std::copy(table.begin(), table.end(), expected.begin() + TaxRateTableOffset);
    EXPECT_EQ(ReadFileBytes(control_file_), expected);
    EXPECT_EQ(ReadFileBytes(folder_ / "OTHER.DAT"), PatternBytes(300));
  }

  TempFolder folder_;
  const std::string control_file_ = folder_ / "CDCCTL.DAT";
  const Bytes before_ = PatternBytes(300);
};

}  // namespace drelbin::testing

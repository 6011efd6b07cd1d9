// One control file in a Wine prefix, found through the per-user settings;
// the uninstall entry leads to a folder without one, so both lookups run and
// exactly one file is repaired.  WINEPREFIX names the prefix for the runner.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "repair/error_box_text.h"
#include "repair/messages.h"
#include "repair/tax_rate_table.h"
#include "tests/endtoend/run_program.h"
#include "tests/endtoend/wine_prefix_fixture.h"
#include "tests/faults/file_census.h"

namespace drelbin::testing {

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    std::filesystem::remove(prefix_.uninstall_control_file());
    setenv("WINEPREFIX", prefix_.prefix().c_str(), 1);
    before_ = TakeCensus(prefix_.prefix());
  }
  ~EndToEndTest() override { unsetenv("WINEPREFIX"); }

  // The runner's command line, to append to a tool's own.
  static std::vector<std::string> RunnerCommand() { return {DRELBIN_REPAIR_RUNNER}; }

  // The runner printed the success message and repaired the control file;
  // nothing else in the prefix changed.
  void ExpectRepaired(const ProgramRun& run) const {
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, messages::kRepaired + "\n");
    Bytes expected = content_;
    const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
    std::copy(table.begin(), table.end(), expected.begin() + TaxRateTableOffset);
    EXPECT_EQ(ReadFileBytes(control_file_), expected);
    EXPECT_TRUE(OnlyTableBytesChanged(before_, TakeCensus(prefix_.prefix())));
  }

  // DisplayIcon becomes a REG_DWORD: the first lookup raises its error.
  void GiveDisplayIconANumber() {
    std::string system = WinePrefixFixture::SystemRegText();
    const std::size_t begin = system.find("\"DisplayIcon\"");
    const std::size_t end = system.find("\"DisplayName\"");
    system.replace(begin, end - begin, "\"DisplayIcon\"=dword:00000007\n");
    WriteFileBytes(prefix_.system_reg(), Bytes(system.begin(), system.end()));
    before_ = TakeCensus(prefix_.prefix());
  }

  // The runner printed the error box's text for it, exited with 0, and the
  // second lookup did not run.
  void ExpectDataTypeError(const ProgramRun& run) const {
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, ErrorBoxText(messages::BadDataType("DisplayIcon")) + "\n");
    EXPECT_EQ(ReadFileBytes(control_file_), content_);
    EXPECT_TRUE(OnlyTableBytesChanged(before_, TakeCensus(prefix_.prefix())));
  }

  const Bytes content_ = PatternBytes(300);
  WinePrefixFixture prefix_{content_};
  const std::string control_file_ = prefix_.settings_control_file();
  FileCensus before_;
};

}  // namespace drelbin::testing

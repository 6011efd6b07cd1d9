// The writer's ways out, reached through the fake file seam.
#include "repair/tax_rate_writer.h"

#include "repair/tax_rate_table.h"
#include "tests/fakes/fake_platform_test.h"

namespace drelbin {
namespace {

using Bytes = testing::FakeFiles::Bytes;

const std::string kPath = "C:\\App\\Data\\CDCCTL.DAT";

Bytes OldFile() { return Bytes(200, 0xAB); }

Bytes RepairedFile() {
  Bytes bytes = OldFile();
  const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
  std::copy(table.begin(), table.end(), bytes.begin() + TaxRateTableOffset);
  return bytes;
}

class WriterTest : public testing::FakePlatformTest {
 protected:
  WriterTest() { files_.AddFile(kPath, OldFile()); }
};

TEST_F(WriterTest, WritesTheTableAndFlushesIt) {
  EXPECT_EQ(WriteTaxRateTable(kPath), wrDone);
  EXPECT_EQ(files_.Contents(kPath), RepairedFile());
  EXPECT_EQ(files_.flushes, 1);
}

TEST_F(WriterTest, GoesOnAfterShortWrites) {
  files_.max_bytes_per_write = 7;
  EXPECT_EQ(WriteTaxRateTable(kPath), wrDone);
  EXPECT_EQ(files_.Contents(kPath), RepairedFile());
}

TEST_F(WriterTest, NoFileOpensNothing) {
  EXPECT_EQ(WriteTaxRateTable("C:\\Other\\CDCCTL.DAT"), wrNoFile);
  EXPECT_TRUE(files_.opened.empty());
}

TEST_F(WriterTest, RefusedOpenWritesNothing) {
  files_.refuse_open = true;
  EXPECT_EQ(WriteTaxRateTable(kPath), wrOpenFailed);
  EXPECT_EQ(files_.Contents(kPath), OldFile());
}

TEST_F(WriterTest, FailedSeekWritesNothing) {
  files_.fail_seek = true;
  EXPECT_EQ(WriteTaxRateTable(kPath), wrSeekFailed);
  EXPECT_EQ(files_.Contents(kPath), OldFile());
}

// A full disk: part of the table went out, then nothing more would.
TEST_F(WriterTest, WriteThatStopsIsReportedAsAFailure) {
  for (const std::size_t room : {std::size_t{0}, std::size_t{1}, std::size_t{95}}) {
    files_.Clear();
    files_.AddFile(kPath, OldFile());
    files_.bytes_until_full = room;
    EXPECT_EQ(WriteTaxRateTable(kPath), wrWriteFailed) << room << " bytes of room";
    EXPECT_EQ(files_.open_handles, 0);
  }
}

TEST_F(WriterTest, FailedFlushIsReportedAsAFailure) {
  files_.fail_flush = true;
  EXPECT_EQ(WriteTaxRateTable(kPath), wrWriteFailed);
}

}  // namespace
}  // namespace drelbin

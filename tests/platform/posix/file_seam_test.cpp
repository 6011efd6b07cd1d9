// The writer on real files, through the POSIX file seam.
#include "repair/tax_rate_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "repair/tax_rate_table.h"
#include "tests/support/repaired_bytes.h"
#include "tests/support/temp_folder.h"

namespace drelbin {
namespace {

using testing::Bytes;
using testing::PatternBytes;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

using testing::RepairedBytes;

class WriterTest : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  const std::string control_file_ = folder_ / "CDCCTL.DAT";
};

// Every length row: shorter than the table's start, exactly its start, inside
// the table, and longer than the table's end.
class WriterLengthTest : public WriterTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(WriterLengthTest, WritesTheTableAndNothingElse) {
  const Bytes before = PatternBytes(GetParam());
  WriteFileBytes(control_file_, before);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrDone);
  const Bytes after = ReadFileBytes(control_file_);
  EXPECT_EQ(after, RepairedBytes(before));
  EXPECT_EQ(after.size(), std::max<std::size_t>(GetParam(), 162));
}

TEST_P(WriterLengthTest, WritingTwiceLeavesTheBytesOfWritingOnce) {
  const Bytes before = PatternBytes(GetParam());
  WriteFileBytes(control_file_, before);
  ASSERT_EQ(WriteTaxRateTable(control_file_), wrDone);
  ASSERT_EQ(WriteTaxRateTable(control_file_), wrDone);
  EXPECT_EQ(ReadFileBytes(control_file_), RepairedBytes(before));
}

INSTANTIATE_TEST_SUITE_P(Lengths, WriterLengthTest,
                         ::testing::Values(0, 1, 65, 66, 67, 100, 161, 162, 200, 4096));

TEST_F(WriterTest, NoRegularFileIsNoFile) {
  EXPECT_EQ(WriteTaxRateTable(""), wrNoFile);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrNoFile);
  EXPECT_FALSE(std::filesystem::exists(control_file_)) << "the writer must never create a file";
  EXPECT_EQ(WriteTaxRateTable(folder_.path().string()), wrNoFile);
  const std::string with_nul = control_file_ + std::string(1, '\0') + "x";
  WriteFileBytes(control_file_, PatternBytes(10));
  EXPECT_EQ(WriteTaxRateTable(with_nul), wrNoFile);
}

TEST_F(WriterTest, FifoIsNeitherOpenedNorWaitedFor) {
  ASSERT_EQ(mkfifo(control_file_.c_str(), 0666), 0);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrNoFile);
}

TEST_F(WriterTest, DeviceIsNoFile) { EXPECT_EQ(WriteTaxRateTable("/dev/null"), wrNoFile); }

TEST_F(WriterTest, ReadOnlyFileIsRefusedEvenForRoot) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  ASSERT_EQ(chmod(control_file_.c_str(), 0444), 0);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrOpenFailed);
  EXPECT_EQ(ReadFileBytes(control_file_), before);
}

TEST_F(WriterTest, FileLockedThroughAnotherOpenIsRefused) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  const int holder = open(control_file_.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(holder, F_OFD_SETLK, &lock), 0);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrOpenFailed);
  EXPECT_EQ(ReadFileBytes(control_file_), before);
  close(holder);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrDone) << "the lock is gone, so is the refusal";
}

TEST_F(WriterTest, FileThatAnotherProcessHoldsOpenIsRefusedAtOnce) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Hold the file open, read-only and unlocked, until killed.
    const int fd = open(control_file_.c_str(), O_RDONLY);
    const char ok = fd >= 0 ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char ok = 'n';
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  close(ready[0]);
  ASSERT_EQ(ok, 'y');

  EXPECT_EQ(WriteTaxRateTable(control_file_), wrOpenFailed);
  EXPECT_EQ(ReadFileBytes(control_file_), before);

  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrDone) << "once the holder is gone";
}

}  // namespace
}  // namespace drelbin

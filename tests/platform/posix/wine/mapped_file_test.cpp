// Registry files read in place: mapped under a read lease, so that nobody
// can cut them short while they are read, or copied where no lease is had.
#include "platform/posix/wine/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <numeric>

#include "tests/support/temp_folder.h"

namespace drelbin::wine {
namespace {

using testing::PatternBytes;
using testing::WriteFileBytes;

class MappedFileTest : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  const std::string file_ = folder_ / "system.reg";
  const testing::Bytes bytes_ = PatternBytes(3 * 65536 + 17);
  std::string Expected() const { return std::string(bytes_.begin(), bytes_.end()); }
};

TEST_F(MappedFileTest, MapsRegularFilesOnly) {
  WriteFileBytes(file_, bytes_);
  const MappedFile mapped(file_);
  ASSERT_TRUE(mapped.ok());
  EXPECT_TRUE(mapped.mapped());
  EXPECT_EQ(mapped.text(), Expected());

  WriteFileBytes(folder_ / "empty.reg", {});
  const MappedFile empty(folder_ / "empty.reg");
  EXPECT_TRUE(empty.ok());
  EXPECT_EQ(empty.text(), "");
  EXPECT_FALSE(MappedFile(folder_ / "missing.reg").ok());
  EXPECT_FALSE(MappedFile(folder_.path().string()).ok());
  EXPECT_FALSE(MappedFile("/dev/null").ok());
}

long Sum(std::string_view text) {
  return std::accumulate(text.begin(), text.end(), 0L,
                         [](long sum, char c) { return sum + static_cast<unsigned char>(c); });
}

// Someone cuts the file short while it is mapped: the reader keeps every
// byte (without the lease this read ends in SIGBUS) and the writer does not
// wait for the reader (the system's lease-break time is 45 seconds).
TEST_F(MappedFileTest, CuttingTheFileShortLeavesTheReaderItsBytes) {
  WriteFileBytes(file_, bytes_);
  const long expected = std::accumulate(bytes_.begin(), bytes_.end(), 0L);
  // Another process, started before the file is mapped so that it shares
  // neither the descriptor nor the mapping that hold the lease.
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(30);  // never outlive a broken test
    char byte;
    close(go[1]);
    if (read(go[0], &byte, 1) != 1) _exit(2);
    _exit(truncate(file_.c_str(), 0) == 0 ? 0 : 1);
  }
  close(go[0]);
  const MappedFile mapped(file_);
  ASSERT_TRUE(mapped.mapped()) << "no lease on this file system";
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(write(go[1], "x", 1), 1);
  close(go[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(std::filesystem::file_size(file_), 0u);
  EXPECT_EQ(Sum(mapped.text()), expected);

  // The same from this very process.
  WriteFileBytes(file_, bytes_);
  const MappedFile again(file_);
  ASSERT_TRUE(again.mapped());
  const auto self_start = std::chrono::steady_clock::now();
  ASSERT_EQ(truncate(file_.c_str(), 0), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - self_start, std::chrono::seconds(10));
  EXPECT_EQ(Sum(again.text()), expected);
}

TEST_F(MappedFileTest, WithoutALeaseTheBytesAreCopied) {
  WriteFileBytes(file_, bytes_);
  const int writer = open(file_.c_str(), O_WRONLY | O_CLOEXEC);  // no read lease then
  ASSERT_GE(writer, 0);
  const MappedFile copied(file_);
  ASSERT_TRUE(copied.ok());
  EXPECT_FALSE(copied.mapped());
  ASSERT_EQ(ftruncate(writer, 0), 0);
  close(writer);
  EXPECT_EQ(copied.text(), Expected());
}

}  // namespace
}  // namespace drelbin::wine

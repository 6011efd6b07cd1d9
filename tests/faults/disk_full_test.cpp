// The disk fills while the table is written: a file system that is really
// full (a one-page tmpfs, mounted over the test's folder in this process's
// own mount namespace, where the host lets us mount), and a file-size limit
// that stops the file from growing (RLIMIT_FSIZE with SIGXFSZ ignored, in a
// child process).
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <tuple>

#include "repair/tax_rate_table.h"
#include "tests/faults/fault_test.h"

namespace drelbin::testing {
namespace {

// A control file that needs a new page of the medium when the table goes in
// (a file with data in its first page would not).
struct GrowthCase {
  const char* name;
  std::size_t content_length;
  std::size_t sparse_length;  // then grown with a hole to this length
};
void PrintTo(const GrowthCase& c, std::ostream* os) { *os << c.name; }

const GrowthCase kGrowths[] = {
    {"Empty", 0, 0},
    {"SparseOverTheTable", 0, 200},
};

class FullFileSystemTest : public FaultTest,
                           public ::testing::WithParamInterface<std::tuple<GrowthCase, Through>> {
 protected:
  void SetUp() override {
    // The tmpfs is seen by this process only and goes away with it, however
    // the test ends.
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
    }
    if (mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, "size=4k,nr_inodes=16") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
  }

 private:
  bool mounted_ = false;
};

TEST_P(FullFileSystemTest, FailsTheWriteAndChangesNothingElse) {
  const auto& [growth, through] = GetParam();
  WriteFileBytes(control_file_, PatternBytes(growth.content_length));
  if (growth.sparse_length > 0) {
    ASSERT_EQ(truncate(control_file_.c_str(), static_cast<off_t>(growth.sparse_length)), 0);
  }
  WriteFileBytes(folder_ / "FILLER", PatternBytes(4096));  // takes the last page
  before_ = TakeCensus(folder_.path());

  RepairAndExpect(through, wrWriteFailed);
  ExpectOnlyTableChanged();
  EXPECT_EQ(std::filesystem::file_size(control_file_),
            std::max(growth.content_length, growth.sparse_length));
}

INSTANTIATE_TEST_SUITE_P(Growths, FullFileSystemTest,
                         ::testing::Combine(::testing::ValuesIn(kGrowths),
                                            ::testing::Values(Through::Writer, Through::Command)),
                         CaseName<GrowthCase>);

// Files may grow up to `limit` bytes; the table reaches the file as far as
// the limit lets it.
struct LimitCase {
  const char* name;
  std::size_t length;
  std::size_t limit;
};
void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

const LimitCase kLimits[] = {
    {"NoGrowthAtAll", 0, 0},
    {"StopsBeforeTheTable", 40, 50},
    {"StopsInsideTheTable", 100, 100},
    {"StopsOneByteShort", 161, 161},
};

class FileSizeLimitTest : public FaultTest,
                          public ::testing::WithParamInterface<std::tuple<LimitCase, Through>> {
 protected:
  // Runs the repair in a child process under the limit; the outcome comes
  // back through a pipe.
  RepairOutcome RepairUnderLimit(Through through, std::size_t limit) {
    int channel[2];
    if (pipe(channel) != 0) ADD_FAILURE() << "pipe: " << std::strerror(errno);
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      const rlimit rl{limit, limit};
      signal(SIGXFSZ, SIG_IGN);
      if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(2);
      const RepairOutcome outcome = Repair(through);
      std::string report(reinterpret_cast<const char*>(&outcome.code), sizeof outcome.code);
      report += static_cast<char>(outcome.closes);
      report += static_cast<char>(outcome.keys_closed);
      for (const auto& message : outcome.messages) report += message + '\n';
      const bool sent =
          write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
      _exit(sent ? 0 : 3);
    }
    close(channel[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
      report.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;

    RepairOutcome outcome;
    if (report.size() < sizeof outcome.code + 2) return outcome;
    std::memcpy(&outcome.code, report.data(), sizeof outcome.code);
    outcome.closes = report[sizeof outcome.code];
    outcome.keys_closed = report[sizeof outcome.code + 1] != 0;
    for (std::size_t at = sizeof outcome.code + 2; at < report.size();) {
      const std::size_t end = report.find('\n', at);
      outcome.messages.push_back(report.substr(at, end - at));
      at = end + 1;
    }
    return outcome;
  }
};

TEST_P(FileSizeLimitTest, FailsTheWriteAndWritesNoFurtherThanTheLimit) {
  const auto& [limit, through] = GetParam();
  const Bytes before = PatternBytes(limit.length);
  WriteFileBytes(control_file_, before);
  WriteFileBytes(folder_ / "OTHER.DAT", PatternBytes(300));
  before_ = TakeCensus(folder_.path());

  ExpectOutcome(through, RepairUnderLimit(through, limit.limit), wrWriteFailed);

  Bytes expected = before;
  if (limit.limit > TaxRateTableOffset) {
    const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
    expected.resize(std::max(expected.size(), limit.limit), 0);
    std::copy(table.begin(),
              table.begin() + static_cast<std::ptrdiff_t>(limit.limit - TaxRateTableOffset),
              expected.begin() + TaxRateTableOffset);
  }
  EXPECT_EQ(ReadFileBytes(control_file_), expected);
  ExpectOnlyTableChanged();
}

INSTANTIATE_TEST_SUITE_P(Limits, FileSizeLimitTest,
                         ::testing::Combine(::testing::ValuesIn(kLimits),
                                            ::testing::Values(Through::Writer, Through::Command)),
                         CaseName<LimitCase>);

}  // namespace
}  // namespace drelbin::testing

// The control file changes between the writer's existence test and its open:
// it vanishes, or something that is no regular file takes its place.  The
// writer must refuse without blocking, writing or creating anything.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <tuple>

#include "tests/faults/fault_test.h"
#include "tests/faults/mapping_hook.h"

namespace drelbin::testing {
namespace {

// What a case does to the folder; it may leave a reader open on a FIFO, so
// the test can see whether anything was written into it.
struct Scene {
  const TempFolder& folder;
  const std::string& control_file;
  int fifo_reader = -1;

  void MoveAway() const {
    ASSERT_EQ(rename(control_file.c_str(), (folder / "CDCCTL.OLD").c_str()), 0);
  }
  void MakeFifo(const std::string& path) {
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    fifo_reader = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fifo_reader, 0);
  }
  void Symlink(const std::string& target) const {
    ASSERT_EQ(symlink(target.c_str(), control_file.c_str()), 0);
  }
  void MakeSocket() const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(control_file.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, control_file.c_str(), control_file.size() + 1);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    close(fd);  // the socket file stays
    ASSERT_EQ(bound, 0);
  }
};

struct SwapCase {
  const char* name;
  void (*make)(Scene& scene);
  WriteResult expected;
};
void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }

const SwapCase kSwaps[] = {
    {"Vanished", [](Scene& s) { s.MoveAway(); }, wrOpenFailed},
    {"Directory",
     [](Scene& s) {
       s.MoveAway();
       ASSERT_EQ(mkdir(s.control_file.c_str(), 0777), 0);
     },
     wrOpenFailed},
    {"Fifo",
     [](Scene& s) {
       s.MoveAway();
       s.MakeFifo(s.control_file);
     },
     wrOpenFailed},
    {"SymlinkToFifo",
     [](Scene& s) {
       s.MoveAway();
       s.MakeFifo(s.folder / "pipe");
       s.Symlink("pipe");
     },
     wrOpenFailed},
    {"SymlinkToDevice",
     [](Scene& s) {
       s.MoveAway();
       s.Symlink("/dev/null");
     },
     wrOpenFailed},
    {"DanglingSymlink",
     [](Scene& s) {
       s.MoveAway();
       s.Symlink("nowhere");
     },
     wrOpenFailed},
    {"Socket",
     [](Scene& s) {
       s.MoveAway();
       s.MakeSocket();
     },
     wrOpenFailed},
    {"MadeReadOnly", [](Scene& s) { ASSERT_EQ(chmod(s.control_file.c_str(), 0444), 0); },
     wrOpenFailed},
};

class SwappedFileTest : public FaultTest,
                        public ::testing::WithParamInterface<std::tuple<SwapCase, Through>> {
 protected:
  SwappedFileTest() {
    WriteFileBytes(control_file_, PatternBytes(200));
    WriteFileBytes(folder_ / "OTHER.DAT", PatternBytes(300));
  }
  ~SwappedFileTest() override {
    if (scene_.fifo_reader >= 0) close(scene_.fifo_reader);
  }

  // Nothing went into a FIFO that the case put in place.
  void ExpectFifoEmpty() const {
    if (scene_.fifo_reader < 0) return;
    char byte;
    EXPECT_LE(read(scene_.fifo_reader, &byte, 1), 0) << "bytes were written into the FIFO";
  }

  Scene scene_{folder_, control_file_};
};

// The swap happens before the open's own mapping, i.e. after the existence
// test has seen a regular file.
TEST_P(SwappedFileTest, AfterTheExistenceTestIsRefusedWithoutWriting) {
  const auto& [swap, through] = GetParam();
  RunBeforeMapping(2, [&] {
    swap.make(scene_);
    before_ = TakeCensus(folder_.path());
  });
  RepairAndExpect(through, swap.expected);
  EXPECT_TRUE(ClearMappingHook()) << "the swap did not happen between test and open";
  ExpectOnlyTableChanged();
  ExpectFifoEmpty();
}

// The same things already in place: the existence test says no.
TEST_P(SwappedFileTest, BeforeTheExistenceTestIsNoFile) {
  const auto& [swap, through] = GetParam();
  swap.make(scene_);
  before_ = TakeCensus(folder_.path());
  const bool regular = std::filesystem::is_regular_file(control_file_);
  RepairAndExpect(through, regular ? swap.expected : wrNoFile);
  ExpectOnlyTableChanged();
  ExpectFifoEmpty();
}

INSTANTIATE_TEST_SUITE_P(Swaps, SwappedFileTest,
                         ::testing::Combine(::testing::ValuesIn(kSwaps),
                                            ::testing::Values(Through::Writer, Through::Command)),
                         CaseName<SwapCase>);

}  // namespace
}  // namespace drelbin::testing

#include "repair/repair_command.h"

#include "repair/exceptions.h"
#include "repair/lookups.h"
#include "repair/messages.h"
#include "tests/fakes/fake_platform_test.h"

namespace drelbin {
namespace {

using registry::Root;

TEST(SelectResultMessage, SuccessWhenEitherLookupRepaired) {
  const std::int32_t results[] = {lrRepaired, lrWriteFailed, lrNoPath, lrNoKey};
  for (const std::int32_t first : results) {
    for (const std::int32_t second : results) {
      const bool repaired = first == lrRepaired || second == lrRepaired;
      EXPECT_EQ(SelectResultMessage(first, second),
                repaired ? messages::kRepaired : messages::kNotFound)
          << first << ", " << second;
    }
  }
  // The whole value counts, not just its low bits.
  EXPECT_EQ(SelectResultMessage(0x100, 0x10000), messages::kNotFound);
}

// Records what the command asked of the window system, in order.
class RecordingHost : public RepairCommandHost {
 public:
  void ShowResultMessage(const AnsiString& text) override { calls.push_back("message:" + text); }
  void CloseDialog() override { calls.push_back("close"); }
  std::vector<std::string> calls;
};

const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TARNVEX for Windows";
const std::string kSettings = "SOFTWARE\\VB and VBA Program Settings\\TARNVEX V1.0a\\Settings";
const std::string kInstalledFile = "C:\\Prog\\Data\\CDCCTL.DAT";
const std::string kSharedFile = "D:\\Share\\CDCCTL.DAT";

class RepairCommandTest : public testing::FakePlatformTest {
 protected:
  void SetDisplayIcon(std::uint32_t type, const std::string& data) {
    registry_.SetValue(Root::LocalMachine, kUninstall, "DisplayIcon", type, data);
  }
  void SetCommonDataPath(std::uint32_t type, const std::string& data) {
    registry_.SetValue(Root::CurrentUser, kSettings, "CommonDataPath", type, data);
  }
  RecordingHost host_;
};

TEST_F(RepairCommandTest, RepairsBothFilesThenShowsSuccessThenCloses) {
  files_.AddFile(kInstalledFile);
  files_.AddFile(kSharedFile);
  SetDisplayIcon(1, "C:\\Prog\\app.exe");
  SetCommonDataPath(1, "D:\\Share\\");
  RunRepairCommand(host_);
  EXPECT_EQ(files_.opened, (std::vector<std::string>{kInstalledFile, kSharedFile}));
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"message:" + messages::kRepaired, "close"}));
}

TEST_F(RepairCommandTest, BothSourcesNamingOneFileWriteItTwice) {
  files_.AddFile(kSharedFile);
  SetDisplayIcon(1, "D:\\Share\\app.exe");
  SetCommonDataPath(1, "D:\\Share\\Data\\");
  files_.AddFile("D:\\Share\\Data\\CDCCTL.DAT");
  RunRepairCommand(host_);
  EXPECT_EQ(files_.opened.size(), 2u);
  EXPECT_EQ(files_.opened[0], files_.opened[1]);
  EXPECT_EQ(host_.calls.front(), "message:" + messages::kRepaired);
}

TEST_F(RepairCommandTest, NothingFoundStillClosesAfterTheMessage) {
  RunRepairCommand(host_);
  EXPECT_TRUE(files_.opened.empty());
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"message:" + messages::kNotFound, "close"}));
}

TEST_F(RepairCommandTest, ErrorInTheFirstLookupStopsEverything) {
  files_.AddFile(kSharedFile);
  SetDisplayIcon(4, "\x01\x00\x00\x00");
  SetCommonDataPath(1, "D:\\Share\\");
  EXPECT_THROW(RunRepairCommand(host_), ERegistryException);
  ASSERT_EQ(registry_.Opens().size(), 1u) << "the second lookup must not run";
  EXPECT_TRUE(files_.opened.empty());
  EXPECT_TRUE(host_.calls.empty()) << "no message and no close";
}

TEST_F(RepairCommandTest, ErrorInTheSecondLookupKeepsTheFirstRepair) {
  files_.AddFile(kInstalledFile);
  SetDisplayIcon(1, "C:\\Prog\\app.exe");
  SetCommonDataPath(3, "binary");
  EXPECT_THROW(RunRepairCommand(host_), ERegistryException);
  EXPECT_EQ(files_.opened, std::vector<std::string>{kInstalledFile});
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(RepairCommandTest, SecondLookupRunsAfterTheFirstRepaired) {
  files_.AddFile(kInstalledFile);
  SetDisplayIcon(1, "C:\\Prog\\app.exe");
  SetCommonDataPath(1, "D:\\Share\\");  // no file there
  RunRepairCommand(host_);
  EXPECT_EQ(registry_.Opens().size(), 2u);
  EXPECT_EQ(host_.calls.front(), "message:" + messages::kRepaired);
}

}  // namespace
}  // namespace drelbin

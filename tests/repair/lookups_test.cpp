#include "repair/lookups.h"

#include "repair/exceptions.h"
#include "repair/messages.h"
#include "tests/fakes/fake_platform_test.h"

namespace drelbin {
namespace {

using registry::Root;
using namespace std::string_literals;

const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TARNVEX for Windows";
const std::string kSettings = "SOFTWARE\\VB and VBA Program Settings\\TARNVEX V1.0a\\Settings";
constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4;

class LookupTest : public testing::FakePlatformTest {
 protected:
  void SetDisplayIcon(const std::string& text, std::uint32_t type = kRegSz) {
    registry_.SetValue(Root::LocalMachine, kUninstall, "DisplayIcon", type, text);
  }
  void SetCommonDataPath(const std::string& text, std::uint32_t type = kRegSz) {
    registry_.SetValue(Root::CurrentUser, kSettings, "CommonDataPath", type, text);
  }
};

// The path that each DisplayIcon text leads to; the file is there.
struct DisplayIconCase {
  const char* name;
  std::string display_icon;
  std::uint32_t type;
  std::string control_file;
};

class DisplayIconTest : public LookupTest, public ::testing::WithParamInterface<DisplayIconCase> {};

TEST_P(DisplayIconTest, WritesTheControlFileInTheDataFolderBesideIt) {
  files_.AddFile(GetParam().control_file);
  SetDisplayIcon(GetParam().display_icon, GetParam().type);
  EXPECT_EQ(RepairFromUninstallEntry(), lrRepaired);
  EXPECT_EQ(files_.opened, std::vector<std::string>{GetParam().control_file});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DisplayIconTest,
    ::testing::Values(
        DisplayIconCase{"IconIndex", "E:\\Prog\\app.exe,0", kRegSz, "E:\\Prog\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"FolderOnly", "E:\\Prog\\", kRegSz, "E:\\Prog\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"DriveRelative", "E:app.exe", kRegSz, "E:Data\\CDCCTL.DAT"},
        DisplayIconCase{"Relative", "app.exe", kRegSz, "Data\\CDCCTL.DAT"},
        DisplayIconCase{"So", "E:\\Prog\\\x83\x5C\x83\x74\x83\x67.exe", kRegSz,
                        "E:\\Prog\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"HyouFolder", "E:\\\x95\x5C\\app.exe", kRegSz,
                        "E:\\\x95\x5C\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"Unexpanded", "%ProgramFiles%\\Prog\\app.exe", kRegExpandSz,
                        "%ProgramFiles%\\Prog\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"NulInside", "E:\\Prog\\a.exe\0F:\\x\\y.exe"s, kRegSz,
                        "E:\\Prog\\Data\\CDCCTL.DAT"},
        DisplayIconCase{"TrailingNul", "E:\\Prog\\app.exe\0"s, kRegSz,
                        "E:\\Prog\\Data\\CDCCTL.DAT"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(LookupTest, QuotedDisplayIconKeepsItsQuoteAndFindsNoFile) {
  files_.AddFile("E:\\Prog\\Data\\CDCCTL.DAT");
  SetDisplayIcon("\"E:\\Prog\\app.exe\"");
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed);
  EXPECT_TRUE(files_.opened.empty());
}

TEST_F(LookupTest, CommonDataPathIsJoinedAsItStands) {
  const struct {
    std::string text;
    std::string control_file;
  } cases[] = {
      {"D:\\Share\\", "D:\\Share\\CDCCTL.DAT"},
      {"D:\\Share", "D:\\ShareCDCCTL.DAT"},
      {" ", " CDCCTL.DAT"},
  };
  for (const auto& c : cases) {
    files_.Clear();
    files_.AddFile(c.control_file);
    SetCommonDataPath(c.text);
    EXPECT_EQ(RepairFromCommonDataPath(), lrRepaired) << c.text;
    EXPECT_EQ(files_.opened, std::vector<std::string>{c.control_file});
  }
}

TEST_F(LookupTest, MissingKeysAreNoKey) {
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
  EXPECT_EQ(RepairFromCommonDataPath(), lrNoKey);
  EXPECT_TRUE(files_.opened.empty());
}

TEST_F(LookupTest, KeysAreSoughtUnderTheirOwnRoots) {
  registry_.SetValue(Root::CurrentUser, kUninstall, "DisplayIcon", kRegSz, "C:\\a.exe");
  registry_.SetValue(Root::LocalMachine, kSettings, "CommonDataPath", kRegSz, "C:\\");
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
  EXPECT_EQ(RepairFromCommonDataPath(), lrNoKey);
}

TEST_F(LookupTest, AccessLevelsAreTriedFromMostToLeast) {
  SetDisplayIcon("");
  registry_.RefuseAccess(registry::kKeyRead);
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoPath);
  registry_.RefuseAccess(registry::kKeyReadNoNotify);
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoPath);
  ASSERT_EQ(registry_.Opens().size(), 2u);
  EXPECT_EQ(registry_.Opens()[0].access, registry::kKeyReadNoNotify);
  EXPECT_EQ(registry_.Opens()[1].access, registry::kKeyQueryValue);
  EXPECT_EQ(registry_.Opens()[0].path, kUninstall) << "the leading backslash is dropped";
  registry_.RefuseAccess(registry::kKeyQueryValue);
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
}

TEST_F(LookupTest, EmptyTextIsNoPath) {
  const struct {
    const char* name;
    std::string data;
    std::uint32_t type;
  } cases[] = {
      {"empty REG_SZ", "", kRegSz},
      {"REG_SZ starting with NUL", "\0E:\\a.exe"s, kRegSz},
      {"REG_SZ of one NUL", std::string(1, '\0'), kRegSz},
      {"REG_DWORD without data", "", kRegDword},
      {"REG_BINARY without data", "", kRegBinary},
  };
  for (const auto& c : cases) {
    SetDisplayIcon(c.data, c.type);
    EXPECT_EQ(RepairFromUninstallEntry(), lrNoPath) << c.name;
  }
  registry_.AddKey(Root::CurrentUser, kSettings);
  EXPECT_EQ(RepairFromCommonDataPath(), lrNoPath) << "missing value";
  EXPECT_TRUE(files_.opened.empty());
}

TEST_F(LookupTest, WriterFailuresAreAllWriteFailed) {
  SetDisplayIcon("E:\\Prog\\app.exe");
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed) << "no file";
  files_.AddFile("E:\\Prog\\Data\\CDCCTL.DAT");
  files_.refuse_open = true;
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed) << "open refused";
  files_.refuse_open = false;
  files_.fail_seek = true;
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed) << "seek failed";
  files_.fail_seek = false;
  files_.fail_flush = true;
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed) << "flush failed";
}

TEST_F(LookupTest, NonTextDataRaisesTheDataTypeError) {
  files_.AddFile("E:\\Prog\\Data\\CDCCTL.DAT");
  for (const std::uint32_t type : {kRegDword, kRegBinary, std::uint32_t{7}}) {
    SetDisplayIcon("E:\\Prog\\app.exe", type);
    try {
      RepairFromUninstallEntry();
      ADD_FAILURE() << "type " << type << " raised nothing";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), messages::BadDataType("DisplayIcon"));
    }
  }
  EXPECT_TRUE(files_.opened.empty()) << "the writer must not run";
}

TEST_F(LookupTest, FailedFetchRaisesTheFetchError) {
  SetCommonDataPath("D:\\Share\\");
  registry_.FailFetches();
  try {
    RepairFromCommonDataPath();
    ADD_FAILURE() << "nothing raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), messages::FetchFailed("CommonDataPath"));
  }
}

TEST_F(LookupTest, EachCallReadsTheRegistryAndWritesAnew) {
  files_.AddFile("D:\\Share\\CDCCTL.DAT");
  SetCommonDataPath("D:\\Share\\");
  EXPECT_EQ(RepairFromCommonDataPath(), lrRepaired);
  EXPECT_EQ(RepairFromCommonDataPath(), lrRepaired);
  EXPECT_EQ(registry_.Opens().size(), 2u);
  EXPECT_EQ(files_.opened.size(), 2u);
}

}  // namespace
}  // namespace drelbin

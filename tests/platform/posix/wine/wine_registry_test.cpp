// The registry seam over a Wine prefix, through the core's accessor and
// lookups, with the real POSIX file seam and the Wine path mapping: the
// whole Linux program below its window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

#include "platform/posix/cp932.h"
#include "repair/exceptions.h"
#include "repair/lookups.h"
#include "repair/messages.h"
#include "repair/registry.h"
#include "repair/tax_rate_table.h"
#include "tests/platform/posix/wine/test_prefix.h"
#include "tests/support/repaired_bytes.h"

namespace drelbin {
namespace {

using registry::Root;
using testing::Bytes;
using testing::ReadFileBytes;
using testing::ReadFixture;
using testing::RepairedBytes;
using testing::TestPrefix;

const AnsiString kHexStringsKey = "Software\\Drelbin Hex Strings";

// The value `name` of `key` as the core reads it, or the error's message.
AnsiString Read(Root root, const AnsiString& key, const AnsiString& name) {
  TRegistry reg(root);
  if (!reg.OpenKeyReadOnly(key)) return "<no key>";
  try {
    return reg.ReadString(name);
  } catch (const ERegistryException& error) {
    return "<error> " + error.Message();
  }
}

// Type and data of a value as RegQueryValueExA gives them.
std::pair<std::uint32_t, std::string> RawValue(Root root, const AnsiString& key,
                                               const AnsiString& name) {
  const registry::Key open = registry::OpenKey(root, key, registry::kKeyRead);
  EXPECT_NE(open, nullptr);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::string data;
  if (registry::QueryValueInfo(open, name, type, size)) {
    data.resize(size);
    EXPECT_TRUE(
        registry::QueryValueData(open, name, reinterpret_cast<std::uint8_t*>(data.data()), size));
  } else {
    type = 0xFFFFFFFF;
  }
  registry::CloseKey(open);
  return {type, data};
}

class WineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.UseFixtures(); }
  TestPrefix prefix_;
};

TEST_F(WineRegistryTest, TextsReachTheCoreAsTheAnsiInterfaceGivesThem) {
  struct Case {
    AnsiString name;
    AnsiString text;
  };
  const Case uninstall[] = {
      {"DisplayIcon", "C:\\Program Files\\TARNVEX\\\x83\x5C\x83\x74\x83\x67\x95\x5C.exe,0"},
      {"DISPLAYICON", "C:\\Program Files\\TARNVEX\\\x83\x5C\x83\x74\x83\x67\x95\x5C.exe,0"},
      {"Expand", "%ProgramFiles%\\TARNVEX\\app.exe"},
      {"Empty", ""},
      {"Missing", ""},
      {"", "default value"},
      {"Escapes", "back\\\\slash \"quote\" tab\tend ???? \x87\x40"},
      {"Multi", "<error> " + messages::BadDataType("Multi")},
      {"Number", "<error> " + messages::BadDataType("Number")},
      {"Bin", "<error> " + messages::BadDataType("Bin")},
      {"None", "<error> " + messages::BadDataType("None")},
  };
  for (const Case& c : uninstall) {
    EXPECT_EQ(Read(Root::LocalMachine, kUninstallKey, c.name), c.text) << c.name;
  }
  const Case hex_strings[] = {
      {"HexSz", "C:\\\x83\x5C\x83\x74\\a.exe"},
      {"HexExpand", "%A%\\"},
      {"HexOdd", "A"},
      {"MidNul", "A"},
      {"ZeroDword", ""},  // a non-text type with no data is empty, not an error
      {"EmptyBin", ""},
      {"Digits",
       "\x95\x5C"
       "1 ?2 \x83\x5C"
       "a"},
  };
  for (const Case& c : hex_strings) {
    EXPECT_EQ(Read(Root::LocalMachine, kHexStringsKey, c.name), c.text) << c.name;
  }
  EXPECT_EQ(Read(Root::CurrentUser, kSettingsKey, "CommonDataPath"),
            "C:\\TARNVEX\\\x8B\xA4\x97\x4C\x83\x66\x81\x5B\x83\x5E\\");
}

TEST_F(WineRegistryTest, SizesCountTheTerminatingNulAndOtherTypesAreRaw) {
  EXPECT_EQ(RawValue(Root::LocalMachine, kUninstallKey.substr(1), "DisplayName"),
            std::make_pair(1u, std::string("TARNVEX for Windows\0", 20)));
  EXPECT_EQ(RawValue(Root::LocalMachine, kUninstallKey.substr(1), "Multi"),
            std::make_pair(7u, std::string("one\0two\0\x8E\x4F\0\0", 12)));
  EXPECT_EQ(RawValue(Root::LocalMachine, kUninstallKey.substr(1), "Number"),
            std::make_pair(4u, std::string("\x78\x56\x34\x12", 4)));
  EXPECT_EQ(RawValue(Root::LocalMachine, kUninstallKey.substr(1), "Empty"),
            std::make_pair(1u, std::string(1, '\0')));
  EXPECT_EQ(RawValue(Root::LocalMachine, kHexStringsKey, "HexOdd"),
            std::make_pair(1u, std::string("A\0", 2)));
  EXPECT_EQ(RawValue(Root::LocalMachine, kHexStringsKey, "HexNoNul"),
            std::make_pair(1u, std::string("AB\0", 3)));
  EXPECT_EQ(RawValue(Root::LocalMachine, kHexStringsKey, "Nothing").first, 0xFFFFFFFFu);
}

TEST_F(WineRegistryTest, ThirtyTwoBitViewOfHklmSoftwareOnly) {
  EXPECT_EQ(Read(Root::LocalMachine, "\\SOFTWARE\\Drelbin64View", "Where"), "32-bit view");
  EXPECT_EQ(Read(Root::LocalMachine, "SOFTWARE\\Wow6432Node\\Drelbin64View", "Where"),
            "32-bit view");
  // A key only in the 64-bit view is not there for a 32-bit program.
  EXPECT_EQ(
      Read(Root::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName"),
      "<no key>");
  // HKCU is read as it stands.
  EXPECT_EQ(Read(Root::CurrentUser,
                 "Software\\VB and VBA Program Settings\\TARNVEX V1.0a\\Settings", "commondatapath")
                .substr(0, 10),
            "C:\\TARNVEX");

  // A 32-bit prefix has no Wow6432Node: Software is read as it stands.
  std::string win32 = ReadFixture("system.reg");
  win32.replace(win32.find("#arch=win64"), 11, "#arch=win32");
  prefix_.WriteSystemReg(win32);
  EXPECT_EQ(Read(Root::LocalMachine, "\\SOFTWARE\\Drelbin64View", "Where"), "native 64-bit view");
}

TEST_F(WineRegistryTest, KeysMatchWithoutRegardToCaseBeyondAscii) {
  EXPECT_EQ(Read(Root::CurrentUser, cp932::FromUtf8("\\software\\ｄｒｅｌｂｉｎ ｃａｓｅ"),
                 cp932::FromUtf8("ａｂｃ")),
            "fullwidth");
  EXPECT_EQ(Read(Root::LocalMachine,
                 "\\sOfTwArE\\MICROSOFT\\windows\\CurrentVersion\\UNINSTALL\\tarnvex FOR windows",
                 "displayname"),
            "TARNVEX for Windows");
}

TEST_F(WineRegistryTest, OpensGiveTheResultsTheLookupsRelyOn) {
  for (const std::uint32_t access :
       {registry::kKeyRead, registry::kKeyReadNoNotify, registry::kKeyQueryValue}) {
    const registry::Key key = registry::OpenKey(Root::CurrentUser, kSettingsKey.substr(1), access);
    EXPECT_NE(key, nullptr) << access;
    registry::CloseKey(key);
  }
  registry::CloseKey(nullptr);
  TRegistry reg(Root::LocalMachine);
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\No Such Vendor"));
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\\\Software"));      // a name never starts with a backslash
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\\x81"));  // not code page 932
  EXPECT_TRUE(reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion"));
  EXPECT_EQ(reg.ReadString("DisplayIcon"), "");
  EXPECT_TRUE(reg.OpenKeyReadOnly("Software\\\\Microsoft\\"));  // runs of separators are one
}

TEST_F(WineRegistryTest, MissingOrUnusableFilesHoldNoKeys) {
  std::filesystem::remove(prefix_ / "user.reg");
  EXPECT_EQ(RepairFromCommonDataPath(), lrNoKey);
  std::filesystem::create_directory(prefix_ / "user.reg");
  EXPECT_EQ(RepairFromCommonDataPath(), lrNoKey);
  std::filesystem::remove(prefix_ / "system.reg");
  ASSERT_EQ(mkfifo((prefix_ / "system.reg").c_str(), 0600), 0);  // must not hang
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
  std::filesystem::remove(prefix_ / "system.reg");
  prefix_.WriteSystemReg("");
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
  prefix_.WriteSystemReg("WINE REGISTRY Version 1\n" + ReadFixture("system.reg"));
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
  setenv("WINEPREFIX", "relative/prefix", 1);  // Wine refuses such a prefix
  prefix_.WriteSystemReg(ReadFixture("system.reg"));
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
}

TEST_F(WineRegistryTest, AnOpenKeyKeepsItsValuesWhenTheFileIsCutShort) {
  const registry::Key key =
      registry::OpenKey(Root::LocalMachine, kUninstallKey.substr(1), registry::kKeyRead);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(truncate((prefix_ / "system.reg").c_str(), 0), 0);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_TRUE(registry::QueryValueInfo(key, "DisplayName", type, size));
  EXPECT_EQ(size, 20u);
  registry::CloseKey(key);
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);  // read anew: the file is empty now
}

TEST_F(WineRegistryTest, UnreadableFileHoldsNoKeys) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  std::filesystem::permissions(prefix_ / "system.reg", std::filesystem::perms::none);
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoKey);
}

TEST_F(WineRegistryTest, WithoutWineprefixTheHomeFoldersPrefixIsRead) {
  testing::TempFolder home;
  std::filesystem::create_directories(home.path() / ".wine");
  std::filesystem::copy_file(prefix_ / "user.reg", home.path() / ".wine" / "user.reg");
  unsetenv("WINEPREFIX");
  const std::string old_home = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.path().c_str(), 1);
  EXPECT_EQ(Read(Root::CurrentUser, kSettingsKey, "Dword"),
            "<error> " + messages::BadDataType("Dword"));
  EXPECT_EQ(Read(Root::LocalMachine, kUninstallKey, "DisplayIcon"), "<no key>");
  setenv("HOME", old_home.c_str(), 1);
}

TEST_F(WineRegistryTest, BothLookupsRepairControlFilesInDriveC) {
  // Names on disk differ in case from the registry's texts.
  const auto install = prefix_.MakeFile("program files/tarnvex/DATA/cdcctl.dat");
  const auto shared = prefix_.MakeFile("TARNVEX/\u5171\u6709\u30C7\u30FC\u30BF/CDCCTL.DAT");
  const Bytes before = ReadFileBytes(install.string());
  EXPECT_EQ(RepairFromUninstallEntry(), lrRepaired);
  EXPECT_EQ(RepairFromCommonDataPath(), lrRepaired);
  EXPECT_EQ(ReadFileBytes(install.string()), RepairedBytes(before));
  EXPECT_EQ(ReadFileBytes(shared.string()), RepairedBytes(before));
}

TEST_F(WineRegistryTest, LookupResultsOverTheRealSeams) {
  // No control files yet: the paths are built, the writer finds nothing.
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed);
  EXPECT_EQ(RepairFromCommonDataPath(), lrWriteFailed);

  // Key present, value empty or absent; a value of the wrong type.
  const std::string header = "WINE REGISTRY Version 2\n\n#arch=win64\n\n";
  prefix_.WriteSystemReg(header +
                         "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
                         "Uninstall\\\\TARNVEX for Windows] 1\n\"DisplayIcon\"=\"\"\n");
  EXPECT_EQ(RepairFromUninstallEntry(), lrNoPath);
  prefix_.WriteUserReg(header +
                       "[Software\\\\VB and VBA Program Settings\\\\TARNVEX V1.0a\\\\Settings] 1\n"
                       "\"CommonDataPath\"=dword:00000001\n");
  EXPECT_THROW(RepairFromCommonDataPath(), ERegistryException);

  // A hostile DisplayIcon cannot climb out of the drive.
  prefix_.WriteSystemReg(header +
                         "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
                         "Uninstall\\\\TARNVEX for Windows] 1\n"
                         "\"DisplayIcon\"=\"C:\\\\..\\\\..\\\\app.exe\"\n");
  const auto outside = prefix_.path() / "Data" / "CDCCTL.DAT";
  std::filesystem::create_directories(outside.parent_path());
  testing::WriteFileBytes(outside.string(), testing::PatternBytes(200));
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed);
  EXPECT_EQ(ReadFileBytes(outside.string()), testing::PatternBytes(200));
  const auto inside = prefix_.MakeFile("Data/CDCCTL.DAT");
  EXPECT_EQ(RepairFromUninstallEntry(), lrRepaired);
  EXPECT_EQ(ReadFileBytes(inside.string()), RepairedBytes(testing::PatternBytes(200)));
}

}  // namespace
}  // namespace drelbin

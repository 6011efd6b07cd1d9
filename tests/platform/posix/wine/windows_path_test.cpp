// Windows paths mapped into the Wine prefix: the text rules as a table, then
// the lookup on disk.
#include "platform/posix/wine/windows_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/cp932.h"
#include "platform/posix/host_path.h"
#include "tests/platform/posix/wine/test_prefix.h"

namespace drelbin::wine {
namespace {

struct TextCase {
  const char* what;
  std::string path;
  std::optional<DrivePath> expected;
};

const DrivePath kCurrent{'d', {"work", "here"}};

class ResolveWindowsPathTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ResolveWindowsPathTest, ResolvesOnTheText) {
  EXPECT_EQ(ResolveWindowsPath(GetParam().path, kCurrent), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResolveWindowsPathTest,
    ::testing::Values(
        TextCase{"drive", "C:\\Prog\\Data\\CDCCTL.DAT",
                 DrivePath{'c', {"Prog", "Data", "CDCCTL.DAT"}}},
        TextCase{"drive_letter_case", "e:/a/b", DrivePath{'e', {"a", "b"}}},
        TextCase{"drive_relative_from_root", "E:Data\\CDCCTL.DAT",
                 DrivePath{'e', {"Data", "CDCCTL.DAT"}}},
        TextCase{"drive_relative_current_drive", "D:x", DrivePath{'d', {"x"}}},
        TextCase{"drive_root", "C:\\", DrivePath{'c', {}}},
        TextCase{"rooted_on_current_drive", "\\Share\\x", DrivePath{'d', {"Share", "x"}}},
        TextCase{"relative", "Data\\CDCCTL.DAT",
                 DrivePath{'d', {"work", "here", "Data", "CDCCTL.DAT"}}},
        TextCase{"relative_dot_dot", "..\\..\\..\\x", DrivePath{'d', {"x"}}},
        TextCase{"dots", "C:\\a\\.\\b\\..\\c", DrivePath{'c', {"a", "c"}}},
        TextCase{"dot_dot_clamped_at_root", "C:\\..\\..\\x", DrivePath{'c', {"x"}}},
        TextCase{"drive_relative_clamped", "C:..\\x", DrivePath{'c', {"x"}}},
        TextCase{"runs_of_separators", "C:\\\\a//\\b\\", DrivePath{'c', {"a", "b"}}},
        TextCase{"trailing_dots_and_blanks_of_last", "C:\\a\\CDCCTL.DAT. .",
                 DrivePath{'c', {"a", "CDCCTL.DAT"}}},
        TextCase{"one_trailing_dot_of_folder", "C:\\dir.\\x", DrivePath{'c', {"dir", "x"}}},
        TextCase{"japanese", "C:\\\u5171\u6709\u30C7\u30FC\u30BF\\CDCCTL.DAT",
                 DrivePath{'c', {"\u5171\u6709\u30C7\u30FC\u30BF", "CDCCTL.DAT"}}},
        TextCase{"blank_folder_name_kept", "C:\\ a \\x", DrivePath{'c', {" a ", "x"}}},
        TextCase{"unc", "\\\\server\\share\\CDCCTL.DAT", std::nullopt},
        TextCase{"unc_slashes", "//server/share/x", std::nullopt},
        TextCase{"device_namespace", "\\\\.\\C:\\x", std::nullopt},
        TextCase{"win32_namespace", "\\\\?\\C:\\x", std::nullopt},
        TextCase{"nt_namespace", "\\??\\C:\\x", std::nullopt}, TextCase{"empty", "", std::nullopt},
        TextCase{"nul_inside", std::string("C:\\a\0b", 6), std::nullopt},
        TextCase{"quote", "\"C:\\Prog\\Data\\CDCCTL.DAT", std::nullopt},
        TextCase{"stream", "C:\\a\\x:stream", std::nullopt},
        TextCase{"wildcard", "C:\\a\\*.DAT", std::nullopt},
        TextCase{"control_character", "C:\\a\tb", std::nullopt},
        TextCase{"device_name", "C:\\Data\\NUL", std::nullopt},
        TextCase{"device_name_with_extension", "C:\\Data\\com1.dat", std::nullopt},
        TextCase{"device_like_name", "C:\\Data\\CONSOLE.DAT",
                 DrivePath{'c', {"Data", "CONSOLE.DAT"}}},
        TextCase{"three_dots_folder", "C:\\...\\x", std::nullopt},
        TextCase{"colon_without_drive_letter", "1:\\x", std::nullopt}),
    [](const auto& row) { return std::string(row.param.what); });

TEST(ResolveWindowsPathTest, WithoutACurrentFolderOnlyDrivePathsResolve) {
  EXPECT_EQ(ResolveWindowsPath("C:\\x", std::nullopt), (DrivePath{'c', {"x"}}));
  EXPECT_EQ(ResolveWindowsPath("\\x", std::nullopt), std::nullopt);
  EXPECT_EQ(ResolveWindowsPath("x", std::nullopt), std::nullopt);
}

TEST(DrivePathOfFolderTest, TheDriveThatHoldsTheFolderMostClosely) {
  const std::vector<DriveRoot> roots = {
      {'z', "/"}, {'c', "/pfx/drive_c"}, {'d', "/pfx/drive_c/"}, {'e', "/pfx/drive_cc"}};
  EXPECT_EQ(DrivePathOfFolder("/pfx/drive_c/users/x", roots), (DrivePath{'c', {"users", "x"}}));
  EXPECT_EQ(DrivePathOfFolder("/pfx/drive_c", roots), (DrivePath{'c', {}}));
  EXPECT_EQ(DrivePathOfFolder("/pfx/drive_cc/a", roots), (DrivePath{'e', {"a"}}));
  EXPECT_EQ(DrivePathOfFolder("/home/u", roots), (DrivePath{'z', {"home", "u"}}));
  EXPECT_EQ(DrivePathOfFolder("/", roots), (DrivePath{'z', {}}));
  EXPECT_EQ(DrivePathOfFolder("/home/u", {{'c', "/pfx/drive_c"}}), std::nullopt);
}

// HostPath in a prefix on disk.
class HostPathTest : public ::testing::Test {
 protected:
  std::optional<std::string> Map(const std::string& utf8) {
    return files::HostPath(cp932::FromUtf8(utf8));
  }
  std::string OnDisk(const std::string& relative) {
    return (prefix_ / "dosdevices/c:/") + relative;
  }
  testing::TestPrefix prefix_;
};

TEST_F(HostPathTest, MapsDrivePathsAndMatchesNamesWithoutRegardToCase) {
  prefix_.MakeFile("Program Files/TARNVEX/Data/CDCCTL.DAT");
  // Two folders that differ only in case: the exact name wins.
  prefix_.MakeFile("Share/a.dat");
  prefix_.MakeFile("SHARE/b.dat");
  prefix_.MakeFile("\u5171\u6709\u30C7\u30FC\u30BF/\uFF24\uFF41\uFF54\uFF41.dat");
  struct Case {
    std::string windows;
    std::optional<std::string> host;
  };
  const Case cases[] = {
      {"C:\\Program Files\\TARNVEX\\Data\\CDCCTL.DAT",
       OnDisk("Program Files/TARNVEX/Data/CDCCTL.DAT")},
      {"c:/PROGRAM FILES/tarnvex/data/cdcctl.dat", OnDisk("Program Files/TARNVEX/Data/CDCCTL.DAT")},
      {"C:\\SHARE\\b.dat", OnDisk("SHARE/b.dat")},
      {"C:\\Share\\a.dat", OnDisk("Share/a.dat")},
      {"C:\\\u5171\u6709\u30C7\u30FC\u30BF\\\uFF44\uFF41\uFF54\uFF41.DAT",
       OnDisk("\u5171\u6709\u30C7\u30FC\u30BF/\uFF24\uFF41\uFF54\uFF41.dat")},
      {"C:\\..\\..\\Program Files\\TARNVEX\\Data\\CDCCTL.DAT",
       OnDisk("Program Files/TARNVEX/Data/CDCCTL.DAT")},
      {"C:Program Files\\TARNVEX\\Data\\CDCCTL.DAT.",
       OnDisk("Program Files/TARNVEX/Data/CDCCTL.DAT")},
      {"C:\\Program Files\\TARNVEX\\Data\\NOPE.DAT", std::nullopt},
      {"C:\\Program Files\\Nope\\Data\\CDCCTL.DAT", std::nullopt},
      {"D:\\Program Files\\TARNVEX\\Data\\CDCCTL.DAT", std::nullopt},  // no drive D
      {"\\\\server\\share\\CDCCTL.DAT", std::nullopt},
      {"\\\\?\\C:\\Program Files\\TARNVEX\\Data\\CDCCTL.DAT", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Map(c.windows), c.host) << c.windows;
  EXPECT_EQ(files::HostPath("C:\\\x81"), std::nullopt);  // not code page 932
}

TEST_F(HostPathTest, DotDotNeverLeavesTheDrive) {
  // A file beside drive_c, which "C:\..\x" must not reach.
  testing::WriteFileBytes(prefix_ / "secret.dat", testing::PatternBytes(10));
  EXPECT_EQ(Map("C:\\..\\secret.dat"), std::nullopt);
  EXPECT_EQ(Map("C:\\windows\\..\\..\\..\\secret.dat"), std::nullopt);
  prefix_.MakeFile("secret.dat");
  EXPECT_EQ(Map("C:\\..\\secret.dat"), OnDisk("secret.dat"));
}

TEST_F(HostPathTest, RelativePathsStartFromTheCurrentFolderOnItsDrive) {
  prefix_.MakeFile("App/Data/CDCCTL.DAT");
  prefix_.MakeFile("Share/CDCCTL.DAT");
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(prefix_.DriveC() / "App");
  EXPECT_EQ(Map("Data\\CDCCTL.DAT"), OnDisk("App/Data/CDCCTL.DAT"));
  EXPECT_EQ(Map("..\\share\\cdcctl.dat"), OnDisk("Share/CDCCTL.DAT"));
  EXPECT_EQ(Map("\\Share\\CDCCTL.DAT"), OnDisk("Share/CDCCTL.DAT"));  // the current drive's root
  EXPECT_EQ(Map("..\\..\\..\\Share\\CDCCTL.DAT"), OnDisk("Share/CDCCTL.DAT"));
  // A current folder on no drive of the prefix: such paths name nothing.
  std::filesystem::current_path(prefix_.path());
  EXPECT_EQ(Map("drive_c\\Share\\CDCCTL.DAT"), std::nullopt);
  EXPECT_EQ(Map("\\Share\\CDCCTL.DAT"), std::nullopt);
  std::filesystem::current_path(old);
}

TEST_F(HostPathTest, DrivesAreTheLinksInDosdevices) {
  const auto elsewhere = prefix_.path() / "elsewhere";
  std::filesystem::create_directories(elsewhere / "Data");
  testing::WriteFileBytes((elsewhere / "Data" / "CDCCTL.DAT").string(), testing::PatternBytes(10));
  std::filesystem::create_directory_symlink(elsewhere, prefix_.path() / "dosdevices" / "e:");
  EXPECT_EQ(Map("E:\\data\\cdcctl.dat"), (prefix_ / "dosdevices/e:/Data/CDCCTL.DAT"));
  // A link to a file, or to nothing, is no drive.
  std::filesystem::create_symlink(elsewhere / "Data" / "CDCCTL.DAT",
                                  prefix_.path() / "dosdevices" / "f:");
  std::filesystem::create_symlink(prefix_.path() / "none", prefix_.path() / "dosdevices" / "g:");
  EXPECT_EQ(Map("F:\\x"), std::nullopt);
  EXPECT_EQ(Map("G:\\x"), std::nullopt);
}

TEST_F(HostPathTest, NoPrefixMapsNothing) {
  prefix_.MakeFile("x.dat");
  setenv("WINEPREFIX", "not/absolute", 1);
  EXPECT_EQ(Map("C:\\x.dat"), std::nullopt);
}

}  // namespace
}  // namespace drelbin::wine

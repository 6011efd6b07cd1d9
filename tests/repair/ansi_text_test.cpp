#include "repair/ansi_text.h"

#include <gtest/gtest.h>

namespace drelbin {
namespace {

struct FolderCase {
  const char* name;
  AnsiString file_name;
  AnsiString folder;
};

class ExtractFilePathTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ExtractFilePathTest, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(ExtractFilePath(GetParam().file_name), GetParam().folder);
}

// ソ is 83 5C and 表 is 95 5C: their second byte is the backslash's.
INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractFilePathTest,
    ::testing::Values(
        FolderCase{"FileAndIconIndex", "E:\\Prog\\app.exe,0", "E:\\Prog\\"},
        FolderCase{"EndsInSeparator", "E:\\Prog\\", "E:\\Prog\\"},
        FolderCase{"DriveRelative", "E:app.exe", "E:"}, FolderCase{"NoSeparator", "app.exe", ""},
        FolderCase{"Empty", "", ""}, FolderCase{"Quoted", "\"E:\\Prog\\app.exe\"", "\"E:\\Prog\\"},
        FolderCase{"SoInFileName", "E:\\Prog\\\x83\x5C\x83\x74\x83\x67.exe", "E:\\Prog\\"},
        FolderCase{"HyouInFolderName", "E:\\\x95\x5C\\app.exe", "E:\\\x95\x5C\\"},
        FolderCase{"SoAtTheEnd", "E:\\Prog\\\x83\x5C", "E:\\Prog\\"},
        FolderCase{"LoneLeadByteAtTheEnd", "E:\\a\x83", "E:\\"},
        FolderCase{"Unc", "\\\\server\\share\\app.exe", "\\\\server\\share\\"},
        FolderCase{"Unexpanded", "%ProgramFiles%\\Prog\\app.exe", "%ProgramFiles%\\Prog\\"},
        FolderCase{"SingleByteKatakanaIsNotALeadByte", "E:\\\xB1\\app.exe", "E:\\\xB1\\"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Cp932LeadByte, RangesAreExactlyThoseOfTheCodePage) {
  for (int byte = 0; byte < 256; ++byte) {
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(IsCp932LeadByte(static_cast<std::uint8_t>(byte)), lead) << byte;
  }
}

}  // namespace
}  // namespace drelbin

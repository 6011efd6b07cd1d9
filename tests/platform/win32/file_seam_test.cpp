// The writer on real files through the Win32 file seam, under Wine.
#include "repair/tax_rate_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/windows_api.h"
#include "repair/file_primitives.h"
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

class Win32Writer : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  const AnsiString folder_path_ = folder_.path().string();
  const AnsiString control_file_ = folder_path_ + "\\CDCCTL.DAT";
};

class Win32WriterLength : public Win32Writer, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(Win32WriterLength, WritesTheTableAndNothingElse) {
  const Bytes before = PatternBytes(GetParam());
  WriteFileBytes(control_file_, before);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrDone);
  const Bytes after = ReadFileBytes(control_file_);
  EXPECT_EQ(after, RepairedBytes(before));
  EXPECT_EQ(after.size(), std::max<std::size_t>(GetParam(), 162));
}

TEST_P(Win32WriterLength, WritingTwiceLeavesTheBytesOfWritingOnce) {
  const Bytes before = PatternBytes(GetParam());
  WriteFileBytes(control_file_, before);
  ASSERT_EQ(WriteTaxRateTable(control_file_), wrDone);
  ASSERT_EQ(WriteTaxRateTable(control_file_), wrDone);
  EXPECT_EQ(ReadFileBytes(control_file_), RepairedBytes(before));
}

INSTANTIATE_TEST_SUITE_P(Lengths, Win32WriterLength, ::testing::Values(0, 65, 66, 100, 161, 200));

TEST_F(Win32Writer, NothingThereIsNoFileAndNothingIsCreated) {
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrNoFile);
  EXPECT_EQ(GetFileAttributesA(control_file_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(WriteTaxRateTable(""), wrNoFile);
}

TEST_F(Win32Writer, DirectoryIsNoFile) {
  ASSERT_TRUE(CreateDirectoryA(control_file_.c_str(), nullptr));
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrNoFile);
  EXPECT_EQ(WriteTaxRateTable(folder_path_), wrNoFile);
}

// FindFirstFileA would take these as patterns and find CDCCTL.DAT; the path
// names one file or none.
TEST_F(Win32Writer, PatternsFindNoFile) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  for (const char* name : {"CDCCTL.*", "CDCCTL.DA?", "*", "CDCCTL<", "CDCCTL\"DAT", "CDCCTL.DA>"}) {
    EXPECT_EQ(WriteTaxRateTable(folder_path_ + "\\" + name), wrNoFile) << name;
  }
  EXPECT_EQ(ReadFileBytes(control_file_), before);
}

TEST_F(Win32Writer, DeviceIsNotOpened) {
  EXPECT_EQ(files::OpenExclusive("NUL"), files::kInvalidFile);
  EXPECT_EQ(files::OpenExclusive("\\\\.\\NUL"), files::kInvalidFile);
}

TEST_F(Win32Writer, ReadOnlyFileIsRefusedAndKept) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  ASSERT_TRUE(SetFileAttributesA(control_file_.c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine shows the attribute as a file without write bits, which root may
  // write all the same: as root, run Wine without CAP_DAC_OVERRIDE.
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrOpenFailed);
  ASSERT_TRUE(SetFileAttributesA(control_file_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(ReadFileBytes(control_file_), before);
}

// However another handle shares the file, the writer, which shares it with
// nobody, is refused at once; once the handle is closed it gets the file.
struct Holder {
  const char* name;
  DWORD access;
  DWORD share;
};

class Win32WriterShared : public Win32Writer, public ::testing::WithParamInterface<Holder> {};

TEST_P(Win32WriterShared, FileHeldByAnotherHandleIsRefused) {
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  win32::UniqueFile holder(CreateFileA(control_file_.c_str(), GetParam().access, GetParam().share,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrOpenFailed);
  holder.reset();
  EXPECT_EQ(ReadFileBytes(control_file_), before);
  EXPECT_EQ(WriteTaxRateTable(control_file_), wrDone);
  EXPECT_EQ(ReadFileBytes(control_file_), RepairedBytes(before));
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

INSTANTIATE_TEST_SUITE_P(Holders, Win32WriterShared,
                         ::testing::Values(Holder{"ReaderSharingAll", GENERIC_READ, kShareAll},
                                           Holder{"WriterSharingAll", GENERIC_WRITE, kShareAll},
                                           Holder{"ReaderSharingNothing", GENERIC_READ, 0},
                                           Holder{"ReadWriteSharingRead",
                                                  GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ}),
                         [](const auto& test) { return std::string(test.param.name); });

// The path is a code page 932 text: a folder named 表 (95 5C) holds it.
TEST_F(Win32Writer, PathInCodePage932) {
  const AnsiString folder = folder_path_ + "\\\x95\x5C";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const AnsiString path = folder + "\\CDCCTL.DAT";
  const Bytes before = PatternBytes(100);
  WriteFileBytes(path, before);
  EXPECT_EQ(WriteTaxRateTable(path), wrDone);
  EXPECT_EQ(ReadFileBytes(path), RepairedBytes(before));
}

}  // namespace
}  // namespace drelbin

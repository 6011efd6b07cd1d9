// Both lookups end to end on Windows: the registry entries as the TARNVEX
// installer and application leave them (registry_fixtures.sh), control
// files in folders named in code page 932, and the writer on real files.
#include "repair/lookups.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_api.h"
#include "repair/tax_rate_table.h"
#include "tests/support/repaired_bytes.h"
#include "tests/support/temp_folder.h"

namespace drelbin {
namespace {

using testing::Bytes;
using testing::PatternBytes;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

// The folders that the registry entries point to; ソ (83 5C) and 表 (95 5C)
// end in the byte of the backslash.
const AnsiString kRoot = "C:\\drelbin tests";
const AnsiString kInstallFolder = kRoot + "\\\x83\x5C\x83\x74\x83\x67";  // ソフト
const AnsiString kCommonFolder = kRoot + "\\\x95\x5C";                   // 表
const AnsiString kDecoyFolder = kRoot + "\\decoy";                       // 64-bit view only

class Win32Lookups : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const AnsiString& folder : {kRoot, kInstallFolder, kInstallFolder + "\\Data",
                                     kCommonFolder, kDecoyFolder, kDecoyFolder + "\\Data"}) {
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                  GetLastError() == ERROR_ALREADY_EXISTS)
          << folder;
    }
    for (const AnsiString& file : {kInstalled, kCommon, kDecoy}) WriteFileBytes(file, kBefore);
  }

  // The control files, with a content that tells every byte's offset.
  const AnsiString kInstalled = kInstallFolder + "\\Data\\CDCCTL.DAT";
  const AnsiString kCommon = kCommonFolder + "\\CDCCTL.DAT";
  const AnsiString kDecoy = kDecoyFolder + "\\Data\\CDCCTL.DAT";
  const Bytes kBefore = PatternBytes(200);
};

using testing::RepairedBytes;

TEST_F(Win32Lookups, UninstallEntryOfThe32BitInstallerLeadsToTheControlFile) {
  EXPECT_EQ(RepairFromUninstallEntry(), lrRepaired);
  EXPECT_EQ(ReadFileBytes(kInstalled), RepairedBytes(kBefore));
  EXPECT_EQ(ReadFileBytes(kDecoy), kBefore) << "the 64-bit view must not be read";
  EXPECT_EQ(ReadFileBytes(kCommon), kBefore);
}

TEST_F(Win32Lookups, CommonDataPathLeadsToTheControlFile) {
  EXPECT_EQ(RepairFromCommonDataPath(), lrRepaired);
  EXPECT_EQ(ReadFileBytes(kCommon), RepairedBytes(kBefore));
  EXPECT_EQ(ReadFileBytes(kInstalled), kBefore);
}

TEST_F(Win32Lookups, ControlFileHeldByTheApplicationIsAFailedWrite) {
  const win32::UniqueFile held(CreateFileA(kInstalled.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(RepairFromUninstallEntry(), lrWriteFailed);
  EXPECT_EQ(ReadFileBytes(kInstalled), kBefore);
}

}  // namespace
}  // namespace drelbin

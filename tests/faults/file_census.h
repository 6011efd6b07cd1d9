// Every regular file under a folder, with its bytes, to prove afterwards that
// nothing but the tax-rate table changed anywhere.
//
// Files are known by device and inode, so a file that was moved away keeps
// its identity; a file that appears later is a new entry.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "tests/support/temp_folder.h"

namespace drelbin::testing {

struct CensusEntry {
  std::string path;
  Bytes bytes;
};
using FileCensus = std::map<std::pair<dev_t, ino_t>, CensusEntry>;

// The regular files under `folder`, symbolic links not followed.
FileCensus TakeCensus(const std::filesystem::path& folder);

// Success when every file of `before` is still there and differs from its
// old bytes at most in offsets 66 to 161 (a shorter file may have grown to
// 162 bytes), and no regular file has been created.
::testing::AssertionResult OnlyTableBytesChanged(const FileCensus& before, const FileCensus& after);

// The number of descriptors this process has open.
int OpenDescriptorCount();

}  // namespace drelbin::testing

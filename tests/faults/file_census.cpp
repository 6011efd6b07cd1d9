#include "tests/faults/file_census.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <optional>

#include "repair/tax_rate_table.h"

namespace drelbin::testing {
namespace {

constexpr std::size_t kTableBegin = TaxRateTableOffset;
constexpr std::size_t kTableEnd = kTableBegin + kTaxRateTableSize;

// The first offset outside the table where the two differ, if any.
std::optional<std::size_t> ChangeOutsideTable(const Bytes& before, const Bytes& after) {
  const bool length_ok =
      after.size() == before.size() || (before.size() < kTableEnd && after.size() == kTableEnd);
  if (!length_ok) return std::min(before.size(), after.size());
  const std::size_t common = std::min(before.size(), after.size());
  for (std::size_t i = 0; i < std::min(common, kTableBegin); ++i) {
    if (before[i] != after[i]) return i;
  }
  for (std::size_t i = kTableEnd; i < common; ++i) {
    if (before[i] != after[i]) return i;
  }
  // A file that grew: the gap before the table reads as zeros.
  for (std::size_t i = before.size(); i < std::min(after.size(), kTableBegin); ++i) {
    if (after[i] != 0) return i;
  }
  return std::nullopt;
}

}  // namespace

FileCensus TakeCensus(const std::filesystem::path& folder) {
  FileCensus census;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    struct stat info;
    if (lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    census[{info.st_dev, info.st_ino}] = {entry.path().string(), ReadFileBytes(entry.path())};
  }
  return census;
}

::testing::AssertionResult OnlyTableBytesChanged(const FileCensus& before,
                                                 const FileCensus& after) {
  for (const auto& [id, old] : before) {
    const auto now = after.find(id);
    if (now == after.end()) return ::testing::AssertionFailure() << old.path << " is gone";
    if (const auto offset = ChangeOutsideTable(old.bytes, now->second.bytes)) {
      return ::testing::AssertionFailure()
             << now->second.path << " changed at offset " << *offset << " (length "
             << old.bytes.size() << " -> " << now->second.bytes.size() << ")";
    }
  }
  for (const auto& [id, entry] : after) {
    if (before.count(id) == 0) return ::testing::AssertionFailure() << entry.path << " was created";
  }
  return ::testing::AssertionSuccess();
}

int OpenDescriptorCount() {
  const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
  // The iterator's own descriptor is counted every time alike.
  return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator()));
}

}  // namespace drelbin::testing

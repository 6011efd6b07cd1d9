// A fresh folder for one test's files, removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace drelbin::testing {

using Bytes = std::vector<std::uint8_t>;

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::filesystem::path& path() const { return path_; }
  // Path of `name` inside the folder, as a string.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Bytes 0, 1, 2, ... (mod 251): a content whose every byte tells its offset.
Bytes PatternBytes(std::size_t length);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

}  // namespace drelbin::testing

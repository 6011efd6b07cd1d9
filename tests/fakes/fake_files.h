// In-memory files behind the file seam, for tests of the core.
//
// A file is its path (compared byte for byte) and its bytes.  Switches make
// the next operations fail or write short, so every way out of the writer
// can be reached; counters tell whether a handle was left open.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "repair/file_primitives.h"

namespace drelbin::testing {

class FakeFiles {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // The files that the seam functions see; reset by each test's fixture.
  static FakeFiles& Instance();

  void Clear();
  void AddFile(const std::string& path, Bytes bytes = {});
  std::optional<Bytes> Contents(const std::string& path) const;

  bool refuse_open = false;
  bool fail_seek = false;
  bool fail_flush = false;
  std::size_t max_bytes_per_write = SIZE_MAX;  // short writes
  std::size_t bytes_until_full = SIZE_MAX;     // then writes fail

  // Paths opened successfully, in order.
  std::vector<std::string> opened;
  int open_handles = 0;
  int flushes = 0;

  // The seam's view.
  bool Exists(const std::string& path) const;
  files::FileHandle Open(const std::string& path);
  bool Seek(files::FileHandle file, std::int64_t offset);
  std::int64_t Write(files::FileHandle file, const std::uint8_t* data, std::size_t size);
  bool Flush(files::FileHandle file);
  void Close(files::FileHandle file);

 private:
  struct OpenFile {
    std::string path;
    std::size_t position = 0;
  };
  std::map<std::string, Bytes> files_;
  std::map<files::FileHandle, OpenFile> handles_;
  files::FileHandle next_handle_ = 3;
};

}  // namespace drelbin::testing

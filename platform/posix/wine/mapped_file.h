// A whole file's bytes in memory, read once, for reading registry files.
//
// The bytes are copied, not mapped: a file that someone shrinks in place
// while a mapping of it is read would end the process with SIGBUS.
#pragma once

#include <string>
#include <string_view>

namespace drelbin::wine {

class MappedFile {
 public:
  // Reads the regular file at `path`.  A missing, unreadable or non-regular
  // file gives a failed read (ok() false); an empty one an empty text.
  explicit MappedFile(const std::string& path);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  bool ok() const { return ok_; }
  // The file's bytes as they were read, valid while this object lives.
  std::string_view text() const { return bytes_; }

 private:
  std::string bytes_;
  bool ok_ = false;
};

}  // namespace drelbin::wine

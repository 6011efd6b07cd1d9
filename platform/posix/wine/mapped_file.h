// A whole file mapped read-only into memory, for reading registry files
// without copying them.
#pragma once

#include <string>
#include <string_view>

namespace drelbin::wine {

class MappedFile {
 public:
  // Maps the regular file at `path`.  A missing, unreadable or non-regular
  // file gives a failed mapping (ok() false); an empty one an empty text.
  explicit MappedFile(const std::string& path);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  bool ok() const { return ok_; }
  // The file's bytes, valid while this object lives.  The mapping is a
  // snapshot only as far as the file is replaced (as Wine saves it: a new
  // file renamed over the old one), not rewritten in place.
  std::string_view text() const { return {static_cast<const char*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
  bool ok_ = false;
};

}  // namespace drelbin::wine

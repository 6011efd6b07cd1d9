// A whole file's bytes, mapped read-only into memory, for reading registry
// files without copying them.
//
// A file that someone cuts short while it is mapped would make reading its
// lost pages fault (SIGBUS).  So the file is leased for reading while it is
// mapped.  When someone opens it for writing or truncates it (wineserver
// rewrites a registry file in place when it is a symbolic link or has more
// than one name), the kernel tells of it with a signal (SIGURG, handled
// here), and before the writer goes on the mapped pages are copied into
// private memory at the same address: the reader keeps the bytes as they
// were, and the writer hardly waits.  Where no lease can be had (the file
// is open for writing elsewhere, belongs to another user, or lies on a file
// system without leases) the bytes are read into memory at once.
#pragma once

#include <string>
#include <string_view>

namespace drelbin::wine {

class MappedFile {
 public:
  // Maps (or reads) the regular file at `path`.  A missing, unreadable or
  // non-regular file gives ok() false; an empty one an empty text.
  explicit MappedFile(const std::string& path);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  bool ok() const { return ok_; }
  // The file's bytes as they were when it was opened, valid while this
  // object lives.
  std::string_view text() const {
    return data_ != nullptr ? std::string_view(static_cast<const char*>(data_), size_)
                            : std::string_view(copy_);
  }
  // True when the bytes are mapped, not copied.
  bool mapped() const { return data_ != nullptr; }

 private:
  int fd_ = -1;           // kept open while mapped: it holds the lease
  void* slot_ = nullptr;  // where the signal handler finds the mapping
  void* data_ = nullptr;
  std::size_t size_ = 0;
  std::string copy_;
  bool ok_ = false;
};

}  // namespace drelbin::wine

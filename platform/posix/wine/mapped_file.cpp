#include "platform/posix/wine/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <limits>

namespace drelbin::wine {

MappedFile::MappedFile(const std::string& path) {
  // O_NONBLOCK: a FIFO put in the file's place must not hang the reader.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
      static_cast<std::uint64_t>(info.st_size) <= std::numeric_limits<std::size_t>::max()) {
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ == 0) {
      ok_ = true;  // mmap refuses length zero; an empty file is an empty text
    } else {
      void* data = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = data;
        ok_ = true;
      } else {
        size_ = 0;
      }
    }
  }
  close(fd);  // the mapping keeps the file
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(data_, size_);
}

}  // namespace drelbin::wine

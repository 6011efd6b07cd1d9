#include "platform/posix/wine/mapped_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace drelbin::wine {

MappedFile::MappedFile(const std::string& path) {
  // O_NONBLOCK: a FIFO put in the file's place must not hang the reader.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // The size is a hint only: the file may change while it is read.
    constexpr off_t kLargestHint = off_t{1} << 26;
    bytes_.reserve(static_cast<std::size_t>(std::min(info.st_size, kLargestHint)));
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
      if (got > 0) bytes_.append(buffer, static_cast<std::size_t>(got));
    }
    ok_ = got == 0;
    if (!ok_) bytes_.clear();
  }
  close(fd);
}

}  // namespace drelbin::wine

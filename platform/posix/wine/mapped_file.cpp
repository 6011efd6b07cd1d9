#include "platform/posix/wine/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

namespace drelbin::wine {
namespace {

// A read lease on `fd`.  Its break is told by a signal: SIGURG, which is
// ignored unless handled, where the default SIGIO would end the process.
bool TakeReadLease(int fd) {
  return fcntl(fd, F_SETSIG, SIGURG) == 0 && fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
}

bool ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 && errno != EINTR) return false;
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

MappedFile::MappedFile(const std::string& path) {
  // O_NONBLOCK: a FIFO put in the file's place must not hang the reader.
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) return;
  struct stat info;
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return;
  // The size is read once the lease holds: from then on it cannot shrink.
  if (TakeReadLease(fd_) && fstat(fd_, &info) == 0 && info.st_size >= 0 &&
      static_cast<std::uint64_t>(info.st_size) <= std::numeric_limits<std::size_t>::max()) {
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ == 0) {
      ok_ = true;  // mmap refuses length zero; an empty file is an empty text
      return;
    }
    // Populated at once: one pass reads every page anyway, and faulting
    // them in one by one costs more than the scan on some machines.
    void* data = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, 0);
    if (data != MAP_FAILED) {
      data_ = data;
      ok_ = true;
      return;
    }
    size_ = 0;
  }
  ok_ = ReadAll(fd_, copy_);
  if (!ok_) copy_.clear();
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(data_, size_);
  if (fd_ >= 0) close(fd_);  // releases the lease
}

}  // namespace drelbin::wine

// The file seam on POSIX (Linux).
//
// POSIX has no share modes, so "shared with nobody" is built from three
// checks: the file must be writable by its owner (Wine shows the Windows
// read-only attribute that way, and root would otherwise ignore it), an
// open-file-description write lock must be had at once, and no other
// process may have the same file open.  Programs under Wine hold their files
// through wineserver, so the last check is what keeps the writer away from a
// control file that the TARNVEX application has open.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/posix/host_path.h"
#include "repair/file_primitives.h"

namespace drelbin::files {
namespace {

bool IsDecimal(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// True when a descriptor of `dir` (a /proc/<pid>/fd folder) refers to the
// file with `device` and `inode`.
bool FolderHoldsFile(const std::string& dir, dev_t device, ino_t inode) {
  DIR* fds = opendir(dir.c_str());
  if (fds == nullptr) return false;  // gone, or not ours to read
  bool found = false;
  while (const dirent* entry = readdir(fds)) {
    if (!IsDecimal(entry->d_name)) continue;
    struct stat target;
    if (fstatat(dirfd(fds), entry->d_name, &target, 0) == 0 && target.st_dev == device &&
        target.st_ino == inode) {
      found = true;
      break;
    }
  }
  closedir(fds);
  return found;
}

// True when a process other than this one has the file open.  Only the
// processes whose descriptors can be read are seen.
bool HeldByAnotherProcess(dev_t device, ino_t inode) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  const std::string self = std::to_string(getpid());
  bool held = false;
  while (const dirent* entry = readdir(proc)) {
    if (!IsDecimal(entry->d_name) || self == entry->d_name) continue;
    if (FolderHoldsFile(std::string("/proc/") + entry->d_name + "/fd", device, inode)) {
      held = true;
      break;
    }
  }
  closedir(proc);
  return held;
}

bool TakeWriteLock(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

bool FileExists(const AnsiString& path) {
  const auto host = HostPath(path);
  struct stat info;
  return host && stat(host->c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

FileHandle OpenExclusive(const AnsiString& path) {
  const auto host = HostPath(path);
  if (!host) return kInvalidFile;
  // O_NONBLOCK: a FIFO or device put in the file's place must not hang us.
  const int fd = open(host->c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return kInvalidFile;
  struct stat info;
  const bool usable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      (info.st_mode & S_IWUSR) != 0 && TakeWriteLock(fd) &&
                      !HeldByAnotherProcess(info.st_dev, info.st_ino);
  if (!usable) {
    close(fd);
    return kInvalidFile;
  }
  return fd;
}

bool SeekFromStart(FileHandle file, std::int64_t offset) {
  return lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::int64_t Write(FileHandle file, const std::uint8_t* data, std::size_t size) {
  ssize_t written;
  do {
    written = write(static_cast<int>(file), data, size);
  } while (written < 0 && errno == EINTR);
  return written;
}

bool Flush(FileHandle file) {
  int result;
  do {
    result = fsync(static_cast<int>(file));
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

void Close(FileHandle file) { close(static_cast<int>(file)); }

}  // namespace drelbin::files

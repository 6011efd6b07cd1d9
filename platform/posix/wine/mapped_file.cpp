#include "platform/posix/wine/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>

namespace drelbin::wine {
namespace {

// The signal that tells of a lease break.  SIGURG: nothing else in the
// program uses it, and unhandled it is ignored, where the default SIGIO
// would end the process.
constexpr int kLeaseSignal = SIGURG;

// The mappings under a lease, for the signal handler.  A lookup holds one
// or two at a time; when all slots are taken a mapping simply keeps its
// lease until it is gone, and a writer waits for that.
struct Slot {
  std::atomic<int> fd{-1};
  void* data = nullptr;
  std::size_t size = 0;
};
constexpr int kSlots = 8;
Slot g_slots[kSlots];
struct sigaction g_previous;

// A writer wants the file: the mapped pages are copied into private memory
// at the same address, and the lease is let go, so the writer goes on at
// once and the reader never sees a page vanish.  Only async-signal-safe
// calls.  If no memory can be had, the lease stays and the writer waits
// until the mapping is gone.
void OnLeaseBreak(int signal, siginfo_t* info, void* context) {
  const int saved_errno = errno;
  bool ours = false;
  for (Slot& slot : g_slots) {
    if (info == nullptr || slot.fd.load() != info->si_fd || info->si_fd < 0) continue;
    ours = true;
    void* copy =
        mmap(nullptr, slot.size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy == MAP_FAILED) break;
    std::memcpy(copy, slot.data, slot.size);
    if (mremap(copy, slot.size, slot.size, MREMAP_MAYMOVE | MREMAP_FIXED, slot.data) ==
        MAP_FAILED) {
      munmap(copy, slot.size);
      break;
    }
    fcntl(info->si_fd, F_SETLEASE, F_UNLCK);
    break;
  }
  if (!ours && (g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
    g_previous.sa_sigaction(signal, info, context);
  } else if (!ours && g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN &&
             (g_previous.sa_flags & SA_SIGINFO) == 0) {
    g_previous.sa_handler(signal);
  }
  errno = saved_errno;
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = OnLeaseBreak;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(kLeaseSignal, &action, &g_previous);
  });
}

// A read lease on `fd`, broken by a signal that names the file.
bool TakeReadLease(int fd) {
  InstallHandler();
  return fcntl(fd, F_SETSIG, kLeaseSignal) == 0 && fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
}

Slot* Register(int fd, void* data, std::size_t size) {
  for (Slot& slot : g_slots) {
    int free_fd = -1;
    if (slot.fd.load() != -1) continue;
    slot.data = data;
    slot.size = size;
    if (slot.fd.compare_exchange_strong(free_fd, fd)) return &slot;
  }
  return nullptr;
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
  // The size is read once the lease holds: from then on it cannot shrink
  // under the mapping.
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
      slot_ = Register(fd_, data_, size_);
      ok_ = true;
      return;
    }
    size_ = 0;
  }
  ok_ = ReadAll(fd_, copy_);
  if (!ok_) copy_.clear();
}

MappedFile::~MappedFile() {
  if (slot_ != nullptr) static_cast<Slot*>(slot_)->fd.store(-1);
  if (data_ != nullptr) munmap(data_, size_);
  if (fd_ >= 0) close(fd_);  // releases the lease
}

}  // namespace drelbin::wine

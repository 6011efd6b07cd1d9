#include "tests/faults/syscall_faults.h"

#include <unistd.h>

#include <algorithm>

extern "C" ssize_t __real_write(int fd, const void* data, size_t size);
extern "C" int __real_fsync(int fd);

namespace drelbin::testing {
namespace {

struct State {
  bool armed = false;
  SyscallFaults faults;
  SyscallCounts counts;
};

State& TheState() {
  static State state;
  return state;
}

}  // namespace

void ArmSyscallFaults(const SyscallFaults& faults) { TheState() = State{true, faults, {}}; }

void DisarmSyscallFaults() { TheState().armed = false; }

SyscallCounts CountedSyscalls() { return TheState().counts; }

}  // namespace drelbin::testing

using drelbin::testing::TheState;

extern "C" ssize_t __wrap_write(int fd, const void* data, size_t size) {
  auto& state = TheState();
  if (!state.armed) return __real_write(fd, data, size);
  auto& faults = state.faults;
  ++state.counts.writes;
  if (faults.write_interruptions > 0) {
    --faults.write_interruptions;
    errno = EINTR;
    return -1;
  }
  if (faults.write_budget == 0) {
    errno = faults.write_error_when_spent;
    return faults.write_error_when_spent == 0 ? 0 : -1;
  }
  const size_t allowed = std::min({size, faults.write_chunk, faults.write_budget});
  const ssize_t written = __real_write(fd, data, allowed);
  if (written > 0) faults.write_budget -= static_cast<size_t>(written);
  return written;
}

extern "C" int __wrap_fsync(int fd) {
  auto& state = TheState();
  if (!state.armed) return __real_fsync(fd);
  auto& faults = state.faults;
  ++state.counts.fsyncs;
  if (faults.fsync_interruptions > 0) {
    --faults.fsync_interruptions;
    errno = EINTR;
    return -1;
  }
  if (faults.fsync_error != 0) {
    errno = faults.fsync_error;
    return -1;
  }
  return __real_fsync(fd);
}

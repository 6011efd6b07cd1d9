// Faults in the libc calls under the POSIX file seam.
//
// The fault tests link with --wrap=write and --wrap=fsync, so the seam's
// write() and fsync() land here first.  Unarmed, they go straight on to libc;
// armed, they fail, are interrupted or write short as told, on real files.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace drelbin::testing {

struct SyscallFaults {
  int write_interruptions = 0;          // the first writes fail with EINTR
  std::size_t write_chunk = SIZE_MAX;   // no write moves more bytes than this
  std::size_t write_budget = SIZE_MAX;  // bytes that may be written in all...
  int write_error_when_spent = ENOSPC;  // ...then writes fail so (0: return 0)
  int fsync_interruptions = 0;          // the first fsyncs fail with EINTR
  int fsync_error = 0;                  // then fsync fails so (0: succeeds)
};

// Arms the faults until DisarmSyscallFaults; counts calls meanwhile.
void ArmSyscallFaults(const SyscallFaults& faults);
void DisarmSyscallFaults();

struct SyscallCounts {
  int writes = 0;
  int fsyncs = 0;
};
SyscallCounts CountedSyscalls();

}  // namespace drelbin::testing

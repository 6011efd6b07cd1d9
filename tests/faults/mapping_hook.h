// A stand-in for the POSIX seam's HostPath, linked into the fault tests in
// place of the native one.  It maps paths as they stand, and can run an
// action just before a chosen mapping.  The writer maps its path once for
// the existence test and once for the open, so an action before the second
// mapping changes the file system between the two.
#pragma once

#include <functional>

namespace drelbin::testing {

// Runs `action` once, just before the `nth` mapping (1 is the next one).
void RunBeforeMapping(int nth, std::function<void()> action);

// Forgets a pending action; true when it has run.
bool ClearMappingHook();

}  // namespace drelbin::testing

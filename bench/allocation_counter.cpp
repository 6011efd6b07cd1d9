#include "bench/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_allocated{0};
}  // namespace

namespace drelbin::bench {
std::size_t AllocatedBytes() { return g_allocated.load(); }
}  // namespace drelbin::bench

// The replaceable allocation functions, counting.  The array and aligned
// forms fall back to these or are not used by the code measured.
void* operator new(std::size_t size) {
  g_allocated += size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

// Counts the bytes that operator new hands out in this program, so that a
// benchmark can show how much one operation allocates.
#pragma once

#include <cstddef>

namespace drelbin::bench {

std::size_t AllocatedBytes();

}  // namespace drelbin::bench

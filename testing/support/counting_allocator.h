// Heap allocations made by a test or benchmark binary, counted by its replaced
// global operator new. Only binaries that link vareko_counting_allocator
// count; the counter is relaxed-atomic, so reading it costs next to nothing.
#pragma once

#include <cstdint>

namespace vareko::testing {

// Calls of any operator new since the program started.
std::uint64_t AllocationCount();

}  // namespace vareko::testing

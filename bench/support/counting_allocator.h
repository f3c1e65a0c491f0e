// Heap allocations made by the benchmark binary, counted by its replaced
// global operator new. Only binaries that link vareko_bench_allocations
// count; the counter is relaxed-atomic, so reading it costs next to nothing.
#pragma once

#include <cstdint>

namespace vareko::bench {

// Calls of any operator new since the program started.
std::uint64_t AllocationCount();

}  // namespace vareko::bench

// Replaces the global operator new/delete of a test or benchmark binary with
// malloc/free plus a counter, so it can report or check heap allocations per
// iteration. Every replaceable form is covered so none escapes the count.
#include "testing/support/counting_allocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocations{0};

void* CountedAllocate(std::size_t bytes, std::size_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (bytes == 0) bytes = 1;
    if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes);
    // aligned_alloc wants the size to be a multiple of the alignment.
    return std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
}

void* CountedAllocateOrThrow(std::size_t bytes, std::size_t alignment) {
    void* p = CountedAllocate(bytes, alignment);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

namespace vareko::testing {

std::uint64_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

}  // namespace vareko::testing

void* operator new(std::size_t bytes) { return CountedAllocateOrThrow(bytes, 0); }
void* operator new[](std::size_t bytes) { return CountedAllocateOrThrow(bytes, 0); }
void* operator new(std::size_t bytes, std::align_val_t a) {
    return CountedAllocateOrThrow(bytes, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t bytes, std::align_val_t a) {
    return CountedAllocateOrThrow(bytes, static_cast<std::size_t>(a));
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return CountedAllocate(bytes, 0); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return CountedAllocate(bytes, 0); }
void* operator new(std::size_t bytes, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(bytes, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t bytes, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(bytes, static_cast<std::size_t>(a));
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// Atomic increment and decrement of a 32-bit counter, returning the new value.
#pragma once

#include <atomic>

#include "platform/win32/types.h"

inline LONG InterlockedIncrement(volatile LONG* addend) {
    return std::atomic_ref<LONG>(*const_cast<LONG*>(addend)).fetch_add(1) + 1;
}

inline LONG InterlockedDecrement(volatile LONG* addend) {
    return std::atomic_ref<LONG>(*const_cast<LONG*>(addend)).fetch_sub(1) - 1;
}

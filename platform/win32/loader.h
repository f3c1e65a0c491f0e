// Run-time library loading with the platform's names: LoadLibraryA,
// GetProcAddress and FreeLibrary on the dynamic linker (dlopen with
// RTLD_NOW | RTLD_LOCAL, so every symbol is bound at load and none leaks into
// the global scope). Failures leave a reason for GetLastError.
#pragma once

#include "platform/win32/last_error.h"
#include "platform/win32/types.h"

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = INT_PTR (*)();

// Null and ERROR_MOD_NOT_FOUND for a library that cannot be loaded, also for
// a null or empty path (which would otherwise name the running program) and
// for one that fails the trust check of trusted_path.h: a relative path, or
// a file that a user other than root and the caller could have written.
HMODULE LoadLibraryA(LPCSTR path);
// Null and ERROR_PROC_NOT_FOUND when the module has no such export.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

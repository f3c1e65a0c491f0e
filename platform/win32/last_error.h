// The calling thread's last-error code, as the platform keeps it: functions
// that report failure by a return value (LoadLibraryA, GetProcAddress, ...)
// leave the reason here. No dependencies beyond the basic types.
#pragma once

#include "platform/win32/types.h"

DWORD GetLastError();
void SetLastError(DWORD errorCode);

// The Win32 API surface that the product code is written against.
// On Windows this is the platform itself, plus the little that it lacks
// (the test clock); elsewhere it is our own layer in platform/ that provides
// the same names, types and behaviour.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include "platform/win32/time.h"  // the test clock in front of GetTickCount and Sleep
#else
#include "platform/gdi/gdi.h"
#include "platform/text/text_api.h"
#include "platform/win32/interlocked.h"
#include "platform/win32/last_error.h"
#include "platform/win32/loader.h"
#include "platform/win32/registry.h"
#include "platform/win32/time.h"
#include "platform/win32/types.h"
#include "platform/win32/winsock.h"
#endif

// The graphics layer's public entry points, with the platform's names and
// signatures. Included by platform/win32.h on non-Windows builds.
#pragma once

#include "platform/gdi/bitmap_calls.h"
#include "platform/gdi/dc_calls.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/icons.h"
#include "platform/image/bmp_ico_files.h"
#include "platform/gdi/object_calls.h"
#include "platform/gdi/painting.h"
#include "platform/gdi/regions.h"

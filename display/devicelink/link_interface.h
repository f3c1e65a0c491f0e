// The boundary between the program and the display-manager library: the
// records passed by pointer, the result codes and the function table that the
// library's one export "GetInterface" returns. Both sides include this header
// so that they can never disagree on a layout. Plain C-compatible types only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display/devicelink/device_bitmap.h"

namespace vareko::link {

using LinkResult = std::uint32_t;  // 0 = success, otherwise a system error code
using LinkHandle = std::int32_t;   // connection or device handle; -1 = none

constexpr LinkHandle kNoHandle = -1;
constexpr std::uint32_t kInterfaceVersion = 2;  // argument of GetInterface

constexpr LinkResult kLinkOk = 0;
constexpr LinkResult kLinkNoMoreItems = 259;          // ERROR_NO_MORE_ITEMS
constexpr LinkResult kLinkNotActive = 1062;           // ERROR_SERVICE_NOT_ACTIVE
constexpr LinkResult kLinkDeviceNotConnected = 1167;  // ERROR_DEVICE_NOT_CONNECTED
constexpr LinkResult kLinkAlreadyInitialized = 1247;  // ERROR_ALREADY_INITIALIZED
constexpr LinkResult kLinkServerUnavailable = 1722;   // RPC_S_SERVER_UNAVAILABLE

// Passed through to the library unchanged; the program registers none.
using LinkCallback = void (*)(void* context);

// Handed to LinkConnect; the library writes `connection` on success.
// On a 32-bit build this is 24 bytes; on 64-bit the same fields, naturally aligned.
struct ConnectionRecord {
    const wchar_t* appName;  // NUL-terminated UTF-16 code units; not copied
    std::uint32_t connectFlag1;
    std::uint32_t connectFlag2;
    LinkCallback callback;
    void* callbackContext;
    LinkHandle connection;
};

static_assert(sizeof(void*) != 4 || sizeof(ConnectionRecord) == 24);
static_assert(offsetof(ConnectionRecord, appName) == 0);

// Handed to LinkOpen: five 32-bit words; the library writes `device`.
struct OpenRecord {
    LinkHandle connection;
    std::uint32_t deviceIndex;
    std::uint32_t callback;
    std::uint32_t callbackContext;
    LinkHandle device;
};

static_assert(sizeof(OpenRecord) == 20, "OpenRecord is five 32-bit words");
static_assert(offsetof(OpenRecord, device) == 16);

constexpr std::size_t kEnumerateBufferBytes = 16;

using LinkEntryNoArgs = LinkResult (*)();
using LinkEntryConnect = LinkResult (*)(ConnectionRecord* record);
using LinkEntryHandle = LinkResult (*)(LinkHandle handle);
using LinkEntryEnumerate = LinkResult (*)(LinkHandle connection, std::uint32_t index,
                                          void* buffer16);
using LinkEntryOpen = LinkResult (*)(OpenRecord* record);
using LinkEntryReadButtons = LinkResult (*)(LinkHandle device, std::uint32_t* buttons);
using LinkEntryUpdate = LinkResult (*)(LinkHandle device, const DeviceBitmap* bitmap,
                                       std::uint32_t priority);
using LinkEntrySetDeviceFlag = LinkResult (*)(LinkHandle device, std::uint32_t flag);

// The function table, entry by entry. Entries 3 and 10 to 18 are never called
// by the program; a library fills them with a function that returns a failure.
struct InterfaceTable {
    LinkEntryNoArgs init;                    // 0
    LinkEntryNoArgs deinit;                  // 1
    LinkEntryConnect connect;                // 2
    LinkEntryNoArgs reserved3;               // 3
    LinkEntryHandle disconnect;              // 4
    LinkEntryEnumerate enumerate;            // 5
    LinkEntryOpen open;                      // 6
    LinkEntryHandle close;                   // 7
    LinkEntryReadButtons readButtons;        // 8
    LinkEntryUpdate update;                  // 9
    LinkEntryNoArgs reserved10to18[9];       // 10..18
    LinkEntrySetDeviceFlag setDeviceFlag;    // 19
};

static_assert(offsetof(InterfaceTable, update) == 9 * sizeof(void*));
static_assert(offsetof(InterfaceTable, setDeviceFlag) == 19 * sizeof(void*));
static_assert(sizeof(InterfaceTable) == 20 * sizeof(void*));

// Signature and name of the library's one export.
using GetInterfaceFunction = const InterfaceTable* (*)(std::uint32_t version);
constexpr const char* kGetInterfaceExport = "GetInterface";

// Registry key (under the local machine) whose default value is the library path.
constexpr const char* kLibraryRegistryKey =
    "SOFTWARE\\Classes\\CLSID\\{FE750200-B72E-11d9-829B-0050DA1A72D3}\\ServerBinary";

}  // namespace vareko::link

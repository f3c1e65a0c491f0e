// DeviceLink: finds the display-manager library through the registry, loads
// it, binds the function table of its one export and forwards calls to it.
// Free functions over process-wide state; only the device output calls them.
// Depends on the platform's registry and loader and on the boundary header.
#pragma once

#include "display/devicelink/link_interface.h"
#include "display/devicelink/load_status.h"

namespace vareko::link {

// The library path with its terminating zero must fit these bytes; one more
// is kept so that the path read is always terminated.
constexpr unsigned kLibraryPathBytes = 260;

// 1247 when already initialised; 1722 when the library cannot be loaded
// (LastLoadStatus says why);
// otherwise the library's own init result (the link stays initialised even
// when that fails, so that LinkDeinit releases the library).
LinkResult LinkInit();
// 0 when not initialised; otherwise the library's deinit result, after which
// the library is unloaded.
LinkResult LinkDeinit();

// Forwarders: 1062 without calling while the link is not initialised.
LinkResult LinkConnect(ConnectionRecord* record);
LinkResult LinkDisconnect(LinkHandle connection);
LinkResult LinkEnumerate(LinkHandle connection, std::uint32_t index, void* buffer16);
LinkResult LinkOpen(OpenRecord* record);
LinkResult LinkClose(LinkHandle device);
LinkResult LinkReadButtons(LinkHandle device, std::uint32_t* buttons);
LinkResult LinkUpdate(LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority);
LinkResult LinkSetDeviceFlag(LinkHandle device, std::uint32_t flag);

// Loads the library named by the registry and binds its table; on any
// failure nothing stays loaded. Used by LinkInit. The library must pass the
// platform's trust check (an absolute path that only root and the user
// control); one that fails it counts as not loadable, like a missing one.
bool LoadDisplayManager();
void UnloadDisplayManager();

// What the last LoadDisplayManager found (NotTried before the first).
const LoadStatus& LastLoadStatus();

}  // namespace vareko::link

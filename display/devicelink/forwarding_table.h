// The function table of a display-manager library whose every entry forwards
// to one object: `Instance` returns it by reference, and it has the member
// functions Init, Deinit, Connect, Disconnect, Enumerate, Open, Close,
// ReadButtons, Update and SetDeviceFlag with the arguments of the entries.
// The entries the program never calls (3 and 10 to 18) return `kUnusedResult`.
// For the library side of the boundary; the program only reads tables.
#pragma once

#include "display/devicelink/link_interface.h"

namespace vareko::link {

template <auto Instance, LinkResult kUnusedResult>
constexpr InterfaceTable ForwardingTable() {
    constexpr LinkEntryNoArgs unused = [] { return kUnusedResult; };
    return InterfaceTable{
        [] { return Instance().Init(); },
        [] { return Instance().Deinit(); },
        [](ConnectionRecord* record) { return Instance().Connect(record); },
        unused,
        [](LinkHandle connection) { return Instance().Disconnect(connection); },
        [](LinkHandle connection, std::uint32_t index, void* buffer16) {
            return Instance().Enumerate(connection, index, buffer16);
        },
        [](OpenRecord* record) { return Instance().Open(record); },
        [](LinkHandle device) { return Instance().Close(device); },
        [](LinkHandle device, std::uint32_t* buttons) { return Instance().ReadButtons(device, buttons); },
        [](LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority) {
            return Instance().Update(device, bitmap, priority);
        },
        {unused, unused, unused, unused, unused, unused, unused, unused, unused},
        [](LinkHandle device, std::uint32_t flag) { return Instance().SetDeviceFlag(device, flag); },
    };
}

}  // namespace vareko::link

// A display-manager library for benchmarks: one device that is always there,
// no buttons, and an update that touches the frame and drops it. It lets a
// benchmark time the program's side of the hand-over without a service.
#include <cstdint>

#include "display/devicelink/link_interface.h"

namespace {

using namespace vareko::link;

constexpr LinkHandle kConnection = 1;
constexpr LinkHandle kDevice = 2;

// Read so the compiler cannot drop the update's access to the frame.
volatile std::uint8_t lastPixel = 0;

LinkResult Ok() { return kLinkOk; }
LinkResult Connect(ConnectionRecord* record) {
    record->connection = kConnection;
    return kLinkOk;
}
LinkResult OkHandle(LinkHandle) { return kLinkOk; }
LinkResult Enumerate(LinkHandle, std::uint32_t index, void*) { return index == 0 ? kLinkOk : kLinkNoMoreItems; }
LinkResult Open(OpenRecord* record) {
    record->device = kDevice;
    return kLinkOk;
}
LinkResult ReadButtons(LinkHandle, std::uint32_t* buttons) {
    *buttons = 0;
    return kLinkOk;
}
LinkResult Update(LinkHandle, const vareko::DeviceBitmap* bitmap, std::uint32_t) {
    lastPixel = bitmap->pixels[vareko::kDevicePixelBytes - 1];
    return kLinkOk;
}
LinkResult SetDeviceFlag(LinkHandle, std::uint32_t) { return kLinkOk; }
LinkResult NeverCalled() { return 1; }

const InterfaceTable kTable = {
    Ok, Ok, Connect, NeverCalled, OkHandle, Enumerate, Open, OkHandle, ReadButtons, Update,
    {NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled,
     NeverCalled, NeverCalled},
    SetDeviceFlag,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const InterfaceTable* GetInterface(std::uint32_t version) {
    return version == kInterfaceVersion ? &kTable : nullptr;
}

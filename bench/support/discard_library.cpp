// A display-manager library for benchmarks: one device that is always there,
// no buttons, and an update that touches the frame and drops it. It lets a
// benchmark time the program's side of the hand-over without a service.
#include <cstdint>

#include "display/devicelink/forwarding_table.h"

namespace {

using namespace vareko::link;

class DiscardDevice {
public:
    static constexpr LinkHandle kConnection = 1;
    static constexpr LinkHandle kDevice = 2;

    LinkResult Init() { return kLinkOk; }
    LinkResult Deinit() { return kLinkOk; }
    LinkResult Connect(ConnectionRecord* record) {
        record->connection = kConnection;
        return kLinkOk;
    }
    LinkResult Disconnect(LinkHandle) { return kLinkOk; }
    LinkResult Enumerate(LinkHandle, std::uint32_t index, void*) { return index == 0 ? kLinkOk : kLinkNoMoreItems; }
    LinkResult Open(OpenRecord* record) {
        record->device = kDevice;
        return kLinkOk;
    }
    LinkResult Close(LinkHandle) { return kLinkOk; }
    LinkResult ReadButtons(LinkHandle, std::uint32_t* buttons) {
        *buttons = 0;
        return kLinkOk;
    }
    LinkResult Update(LinkHandle, const vareko::DeviceBitmap* bitmap, std::uint32_t) {
        lastPixel_ = bitmap->pixels[vareko::kDevicePixelBytes - 1];
        return kLinkOk;
    }
    LinkResult SetDeviceFlag(LinkHandle, std::uint32_t) { return kLinkOk; }

private:
    // Read so the compiler cannot drop the update's access to the frame.
    volatile std::uint8_t lastPixel_ = 0;
};

DiscardDevice& Device() {
    static DiscardDevice device;
    return device;
}

constexpr LinkResult kNeverCalled = 1;
constexpr InterfaceTable kTable = ForwardingTable<Device, kNeverCalled>();

}  // namespace

extern "C" __attribute__((visibility("default"))) const InterfaceTable* GetInterface(std::uint32_t version) {
    return version == kInterfaceVersion ? &kTable : nullptr;
}

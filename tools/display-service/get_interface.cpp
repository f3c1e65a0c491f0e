// The device library's one export. GetInterface(2) returns the function
// table; each entry forwards to the process-wide LinkClient. Entries the
// program never calls answer ERROR_NOT_SUPPORTED.
#include "display/devicelink/link_interface.h"
#include "tools/display-service/link_client.h"

namespace {

using namespace vareko;
using vareko::displayservice::LinkClient;

LinkClient& Client() {
    static LinkClient client;
    return client;
}

link::LinkResult Init() { return Client().Init(); }
link::LinkResult Deinit() { return Client().Deinit(); }
link::LinkResult Connect(link::ConnectionRecord* r) { return Client().Connect(r); }
link::LinkResult Disconnect(link::LinkHandle c) { return Client().Disconnect(c); }
link::LinkResult Enumerate(link::LinkHandle c, std::uint32_t i, void* b) { return Client().Enumerate(c, i, b); }
link::LinkResult Open(link::OpenRecord* r) { return Client().Open(r); }
link::LinkResult Close(link::LinkHandle d) { return Client().Close(d); }
link::LinkResult ReadButtons(link::LinkHandle d, std::uint32_t* w) { return Client().ReadButtons(d, w); }
link::LinkResult Update(link::LinkHandle d, const DeviceBitmap* b, std::uint32_t p) {
    return Client().Update(d, b, p);
}
link::LinkResult SetDeviceFlag(link::LinkHandle d, std::uint32_t f) { return Client().SetDeviceFlag(d, f); }
link::LinkResult NotSupported() { return displayservice::kErrorNotSupported; }

constexpr link::InterfaceTable kTable = {
    Init, Deinit, Connect, NotSupported, Disconnect, Enumerate, Open, Close, ReadButtons, Update,
    {NotSupported, NotSupported, NotSupported, NotSupported, NotSupported, NotSupported, NotSupported,
     NotSupported, NotSupported},
    SetDeviceFlag,
};

}  // namespace

// VAREKO_LINK_EXPORT is the platform's export attribute, set by the build.
extern "C" VAREKO_LINK_EXPORT const vareko::link::InterfaceTable* GetInterface(
    std::uint32_t version) {
    return version == vareko::link::kInterfaceVersion ? &kTable : nullptr;
}

// The shared object of the scripted display-manager library: its table's
// entries hand every call to the test program's ScriptedLibrary.
#include "tests/display/scripted_library.h"

namespace {

using namespace vareko::link;

LinkResult Init() { return VarekoScriptedLibrary()->Init(); }
LinkResult Deinit() { return VarekoScriptedLibrary()->Deinit(); }
LinkResult Connect(ConnectionRecord* record) { return VarekoScriptedLibrary()->Connect(record); }
LinkResult Disconnect(LinkHandle connection) { return VarekoScriptedLibrary()->Disconnect(connection); }
LinkResult Enumerate(LinkHandle connection, std::uint32_t index, void* buffer16) {
    return VarekoScriptedLibrary()->Enumerate(connection, index, buffer16);
}
LinkResult Open(OpenRecord* record) { return VarekoScriptedLibrary()->Open(record); }
LinkResult Close(LinkHandle device) { return VarekoScriptedLibrary()->Close(device); }
LinkResult ReadButtons(LinkHandle device, std::uint32_t* buttons) {
    return VarekoScriptedLibrary()->ReadButtons(device, buttons);
}
LinkResult Update(LinkHandle device, const vareko::DeviceBitmap* bitmap, std::uint32_t priority) {
    return VarekoScriptedLibrary()->Update(device, bitmap, priority);
}
LinkResult SetDeviceFlag(LinkHandle device, std::uint32_t flag) {
    return VarekoScriptedLibrary()->SetDeviceFlag(device, flag);
}
LinkResult NeverCalled() { return 1; }

const InterfaceTable kTable = {
    Init, Deinit, Connect, NeverCalled, Disconnect, Enumerate, Open, Close, ReadButtons, Update,
    {NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled,
     NeverCalled, NeverCalled},
    SetDeviceFlag,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const InterfaceTable* GetInterface(std::uint32_t version) {
    return VarekoScriptedLibrary()->GetInterface(&kTable, version);
}

// The shared object of the scripted display-manager library: its table's
// entries hand every call to the test program's ScriptedLibrary.
#include "display/devicelink/forwarding_table.h"
#include "tests/display/scripted_library.h"

namespace {

using namespace vareko::link;

vareko::testing::ScriptedLibrary& Library() { return *VarekoScriptedLibrary(); }

constexpr LinkResult kNeverCalled = 1;
constexpr InterfaceTable kTable = ForwardingTable<Library, kNeverCalled>();

}  // namespace

extern "C" __attribute__((visibility("default"))) const InterfaceTable* GetInterface(std::uint32_t version) {
    return VarekoScriptedLibrary()->GetInterface(&kTable, version);
}

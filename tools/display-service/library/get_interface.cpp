// The device library's one export. GetInterface(2) returns the function
// table; each entry forwards to the process-wide LinkClient. Entries the
// program never calls answer ERROR_NOT_SUPPORTED.
#include "display/devicelink/forwarding_table.h"
#include "tools/display-service/library/link_client.h"

namespace {

using namespace vareko;
using vareko::displayservice::LinkClient;

LinkClient& Client() {
    static LinkClient client;
    return client;
}

constexpr link::InterfaceTable kTable = link::ForwardingTable<Client, displayservice::kErrorNotSupported>();

}  // namespace

// VAREKO_LINK_EXPORT is the platform's export attribute, set by the build.
extern "C" VAREKO_LINK_EXPORT const vareko::link::InterfaceTable* GetInterface(
    std::uint32_t version) {
    return version == vareko::link::kInterfaceVersion ? &kTable : nullptr;
}

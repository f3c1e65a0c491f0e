// Fuzz target for the display-service message decoder: any byte string is
// decoded in both directions; whatever decodes must encode back to the same
// bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tools/display-service/message_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vareko::displayservice;
    const std::span<const std::uint8_t> bytes(data, size);
    ClientMessage client;
    if (DecodeClientMessage(bytes, client) == DecodeStatus::kOk) {
        const auto again = EncodeClientMessage(client);
        if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    }
    ServiceMessage service;
    if (DecodeServiceMessage(bytes, service) == DecodeStatus::kOk) {
        const auto again = EncodeServiceMessage(service);
        if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    }
    return 0;
}

// Fuzz target for the telemetry parser. Any text must parse without a crash
// and without a write outside the record: the record lives alone on the heap
// so a write past its end hits the sanitizer's red zone, and a write from
// one word field into the next shows as a field without its NUL. Texts that
// fit the receive buffer must also parse exactly as sscanf with the template
// parses them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/telemetry_parser.h"
#include "testing/support/scanf_reference.h"
#include "testing/support/telemetry_text.h"

namespace {

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "telemetry_parser: %s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The parser sees a NUL-terminated text; an embedded NUL ends it early.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const vareko::TelemetrySample before = vareko::testing::PreviousSample();
    auto sample = std::make_unique<vareko::TelemetrySample>(before);
    const int stored = vareko::ParseTelemetry(text.c_str(), *sample);
    if (stored < 0 || stored > static_cast<int>(vareko::kTelemetryKeys.size())) {
        Fail("field count out of range", std::to_string(stored));
    }
    for (const vareko::TelemetryKey& key : vareko::kTelemetryKeys) {
        if (key.kind == vareko::TelemetryKind::Word &&
            std::memchr(key.constWord(*sample).data(), '\0', key.capacity) == nullptr) {
            Fail("word field without its NUL", std::string(key.name));
        }
    }
#ifdef __GLIBC__
    if (std::strlen(text.c_str()) <= vareko::testing::kReferenceMaxText) {
        vareko::TelemetrySample reference = before;
        const int referenceStored = vareko::testing::ReferenceParse(text.c_str(), reference);
        const std::string differences = vareko::testing::DescribeDifferences(*sample, reference);
        if (!differences.empty() || stored != referenceStored) {
            Fail("differs from sscanf", differences + "count " + std::to_string(stored) +
                                            " vs " + std::to_string(referenceStored));
        }
    }
#endif
    return 0;
}

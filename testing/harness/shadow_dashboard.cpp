// The shadow dashboard: DashboardApp over manager pages in this process and
// a telemetry source that parses the datagram it was handed with the
// program's parser.
#include "testing/harness/shadow_dashboard.h"

#include "app/dashboard_app.h"
#include "app/telemetry_parser.h"
#include "testing/harness/page_display.h"

namespace vareko::soak {
namespace {

class HandedSource final : public TelemetrySource {
public:
    SourceOpenResult Open() override { return {}; }
    int ReceiveInto(TelemetrySample& sample) override { return ParseTelemetry(text.c_str(), sample); }
    std::string text;
};

}  // namespace

std::uint64_t PanelHash(const std::uint8_t* pixels) {
    // FNV-1a over the pixels as seen on the panel (white or black).
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < kDevicePixelBytes; ++i) {
        hash ^= IsWhitePixel(pixels[i]) ? 1u : 0u;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

struct ShadowDashboard::Parts {
    harness::PageDisplay display;
    HandedSource source;
    DashboardApp app{display, source};

    std::uint64_t ShownHash() const { return PanelHash(display.Frame()->pixels); }
};

ShadowDashboard::ShadowDashboard() : parts(std::make_unique<Parts>()) {}

ShadowDashboard::~ShadowDashboard() = default;

std::uint64_t ShadowDashboard::Start() {
    parts->app.Start();
    return parts->ShownHash();
}

const std::uint8_t* ShadowDashboard::Pixels() const { return parts->display.Frame()->pixels; }

std::uint64_t ShadowDashboard::Turn(std::string_view datagram) {
    parts->source.text.assign(datagram);
    parts->app.Turn();
    return parts->ShownHash();
}

}  // namespace vareko::soak

// The shadow dashboard: DashboardApp over a display made of plain manager
// pages (no device output, no library), and a telemetry source that parses
// the datagram it was handed with the program's parser.
#include "tools/soak/shadow_dashboard.h"

#include <vector>

#include "app/dashboard_app.h"
#include "app/telemetry_parser.h"
#include "display/manager_page.h"

namespace vareko::soak {
namespace {

class PageDisplay final : public DashboardDisplay {
public:
    HRESULT Initialize(const WCHAR*, DWORD, DWORD, void*, int pageWidth, int pageHeight) override {
        width = pageWidth;
        height = pageHeight;
        AddPage();
        current = shown = 0;
        return S_OK;
    }
    int AddPage() override {
        pages.push_back(std::make_unique<ManagerPage>(nullptr, width, height));
        pages.back()->Initialize();
        pages.back()->StartTimer(0xFFFFFFFF);
        return static_cast<int>(pages.size());
    }
    int SelectPage(int index) override {
        if (!Valid(index)) return 0;
        current = index;
        return 1;
    }
    int ShowPage(int index) override {
        if (!Valid(index)) return 0;
        current = shown = index;
        return 1;
    }
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int boxWidth) override {
        return Page().CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                       static_cast<UINT>(alignment), boxWidth);
    }
    HRESULT SetObjectOrigin(Handle object, int x, int y) override {
        return Page().SetObjectOrigin(static_cast<ObjectHandle>(object), x, y);
    }
    HRESULT SetObjectText(Handle object, const WCHAR* text) override {
        return Page().SetObjectText(static_cast<ObjectHandle>(object), text);
    }
    // The soak presses no buttons.
    int IsButtonReleased(int) override { return 0; }
    void Update() override {
        ManagerPage& page = *pages[static_cast<std::size_t>(shown)];
        page.Render();
        lastHash = PanelHash(page.GetDeviceBitmap()->pixels);
    }

    std::uint64_t lastHash = 0;

private:
    bool Valid(int index) const { return index >= 0 && index < static_cast<int>(pages.size()); }
    ManagerPage& Page() { return *pages[static_cast<std::size_t>(current)]; }

    std::vector<std::unique_ptr<ManagerPage>> pages;
    int width = 0;
    int height = 0;
    int current = 0;
    int shown = 0;
};

class HandedSource final : public TelemetrySource {
public:
    void Open() override {}
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
    PageDisplay display;
    HandedSource source;
    DashboardApp app{display, source};
};

ShadowDashboard::ShadowDashboard() : parts(std::make_unique<Parts>()) {}

ShadowDashboard::~ShadowDashboard() = default;

std::uint64_t ShadowDashboard::Start() {
    parts->app.Start();
    return parts->display.lastHash;
}

std::uint64_t ShadowDashboard::Turn(std::string_view datagram) {
    parts->source.text.assign(datagram);
    parts->app.Turn();
    return parts->display.lastHash;
}

}  // namespace vareko::soak

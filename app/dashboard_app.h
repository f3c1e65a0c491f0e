// The dashboard: builds the flight and engine pages on the display, then turns
// one loop per received datagram, together with every datagram queued behind
// it, that writes the converted figures, raises the low-fuel warning and acts
// on the soft buttons. Depends on the display
// (through DashboardDisplay) and on a TelemetrySource only.
#pragma once

#include <array>

#include "app/dashboard_display.h"
#include "app/dashboard_pages.h"
#include "app/telemetry_sample.h"
#include "app/telemetry_source.h"

namespace vareko {

class DashboardApp {
public:
    // At most this many queued datagrams join a turn's first one.
    static constexpr int kMaxQueuedDatagramsPerTurn = 1024;

    DashboardApp(DashboardDisplay& display, TelemetrySource& source);

    // Opens the telemetry source; when that fails, returns its result and
    // leaves the display alone. Otherwise builds both pages and shows page 0.
    SourceOpenResult Start();
    // One turn of the main loop: receive (blocking), take the datagrams
    // queued behind it, write the figures, act on the buttons, update the
    // display, yield for a millisecond.
    void Turn();
    // Turns forever; after a successful Start.
    [[noreturn]] void Run();

    // Writes the truncated integer text of `value` to `object` on the current page.
    void FormatInteger(float value, DashboardDisplay::Handle object);

    // State for tests and diagnostics.
    const TelemetrySample& Sample() const { return sample; }
    bool MetricUnits() const { return metricUnits; }
    bool FlightPageActive() const { return flightPageActive; }
    bool LowFuelArmed() const { return lowFuelArmed; }
    float LowFuelThreshold() const { return lowFuelThreshold; }

private:
    template <std::size_t N>
    void CreatePage(const std::array<PageObjectRow, N>& rows, std::array<DashboardDisplay::Handle, N>& handles);
    // Arms the low-fuel threshold from a datagram that set fieldsSet fields.
    void TakeDatagram(int fieldsSet);
    void WriteFlightPage();
    void WriteEnginePage();
    void WriteWord(const char* word, std::size_t fieldBytes, std::size_t maxCharacters, DashboardDisplay::Handle object);
    void WriteModWord();
    void HandleButtons();

    DashboardDisplay& display;
    TelemetrySource& source;
    TelemetrySample sample{};
    std::array<DashboardDisplay::Handle, kFlightRowCount> flightObjects{};
    std::array<DashboardDisplay::Handle, kEngineRowCount> engineObjects{};
    bool metricUnits = true;
    bool flightPageActive = true;
    bool enginePageActive = false;
    bool lowFuelArmed = true;
    float lowFuelThreshold = 0.0f;
    // Reused for the three words; room for 17 characters and the NUL.
    std::array<WCHAR, 18> textBuffer{};
};

}  // namespace vareko

// Start-up and the turn of the dashboard's main loop. Results of the display
// and of the receives are ignored, except the count of fields a datagram
// set, which decides whether it can arm the low-fuel warning; a source that
// cannot be opened stops the start.
#include "app/dashboard_app.h"

#include <algorithm>
#include <cstring>

#include "app/format_integer.h"
#include "app/unit_conversion.h"
#include "display/devicelink/device_bitmap.h"

namespace vareko {
namespace {

constexpr const WCHAR* kTitle = L"VAREKO v1.2   Rin_Tavosh";
constexpr int kSizeClass = 0;
constexpr int kFlightPage = 0;
constexpr int kEnginePage = 1;
constexpr const WCHAR* kLowFuelText = L"WARNING LOW PETROL ";

// Soft buttons by index.
constexpr int kFlightButton = 0;  // flight page, and toggle the units
constexpr int kEngineButton = 1;
constexpr int kRearmButton = 3;

// Shown lengths of the words.
constexpr std::size_t kModCharacters = 3;
constexpr std::size_t kSubCharacters = 9;
constexpr std::size_t kAcsCharacters = 17;

// A datagram that set more fields than this reached the internal fuel.
constexpr int TkiFieldIndex() {
    for (std::size_t i = 0; i < kTelemetryKeys.size(); ++i) {
        if (kTelemetryKeys[i].name == "tki") return static_cast<int>(i);
    }
    return -1;
}
static_assert(TkiFieldIndex() >= 0);

// Each 8-bit character becomes one UTF-16 unit (0..255).
WCHAR Widen(char c) { return static_cast<WCHAR>(static_cast<unsigned char>(c)); }

}  // namespace

DashboardApp::DashboardApp(DashboardDisplay& displayIn, TelemetrySource& sourceIn)
    : display(displayIn), source(sourceIn) {}

template <std::size_t N>
void DashboardApp::CreatePage(const std::array<PageObjectRow, N>& rows,
                              std::array<DashboardDisplay::Handle, N>& handles) {
    for (std::size_t i = 0; i < N; ++i) {
        const PageObjectRow& row = rows[i];
        handles[i] = display.CreateTextObject(row.kind, kSizeClass, row.alignment, row.width);
        display.SetObjectOrigin(handles[i], row.x, row.y);
        if (row.label != nullptr) display.SetObjectText(handles[i], row.label);
    }
}

SourceOpenResult DashboardApp::Start() {
    if (const SourceOpenResult opened = source.Open(); !opened.Opened()) {
        return opened;
    }
    display.Initialize(kTitle, 0, 0, nullptr, kDisplayWidth, kDisplayHeight);
    display.SelectPage(kFlightPage);
    CreatePage(kFlightPageRows, flightObjects);
    display.AddPage();
    display.SelectPage(kEnginePage);
    CreatePage(kEnginePageRows, engineObjects);
    flightPageActive = true;
    enginePageActive = false;
    lowFuelArmed = true;
    metricUnits = true;
    display.SelectPage(kFlightPage);
    display.Update();
    return {};
}

void DashboardApp::Turn() {
    TakeDatagram(source.ReceiveInto(sample));
    // Everything that arrived meanwhile goes into the record in arrival
    // order before the one render, so the panel never lags the sender by a
    // queue. The bound keeps a sender faster than the parser from starving
    // the display.
    for (int i = 0; i < kMaxQueuedDatagramsPerTurn; ++i) {
        const int fieldsSet = source.ReceiveQueuedInto(sample);
        if (fieldsSet == TelemetrySource::kNothingQueued) break;
        TakeDatagram(fieldsSet);
    }
    if (flightPageActive) WriteFlightPage();
    if (enginePageActive) WriteEnginePage();
    HandleButtons();
    display.Update();
    Sleep(1);
}

void DashboardApp::TakeDatagram(int fieldsSet) {
    // Arm only from a datagram that carried the internal fuel: a failed
    // receive or a stray datagram would otherwise set the threshold from a
    // stale (at start-up: zero) quantity and silently disable the warning.
    // Checked after each datagram, so a burst arms from the same one that
    // turns taken one datagram at a time would.
    if (lowFuelArmed && fieldsSet > TkiFieldIndex()) {
        lowFuelThreshold = vareko::LowFuelThreshold(sample.tki);
        lowFuelArmed = false;
    }
}

void DashboardApp::Run() {
    for (;;) Turn();
}

void DashboardApp::FormatInteger(float value, DashboardDisplay::Handle object) {
    display.SetObjectText(object, FigureText(value).data());
}

void DashboardApp::WriteFlightPage() {
    display.SelectPage(kFlightPage);
    FormatInteger(SpeedFigure(sample.ias, metricUnits), flightObjects[kSpeed]);
    FormatInteger(sample.vvi, flightObjects[kVerticalSpeed]);
    FormatInteger(AltitudeFigure(sample.agl, metricUnits), flightObjects[kAltitude]);
    FormatInteger(HeadingFigure(sample.hdg), flightObjects[kHeading]);
    // Written as "not >=" so that a NaN in either value also raises the warning.
    if (!(sample.tki >= lowFuelThreshold)) {
        display.SetObjectText(flightObjects[kLowFuelWarning], kLowFuelText);
    } else {
        FormatInteger(FuelFigure(sample.tki, metricUnits), flightObjects[kInternalFuel]);
        FormatInteger(FuelFigure(sample.tke, metricUnits), flightObjects[kExternalFuel]);
    }
    WriteModWord();
    WriteWord(sample.sub, sizeof sample.sub, kSubCharacters, flightObjects[kSubText]);
    WriteWord(sample.acs, sizeof sample.acs, kAcsCharacters, flightObjects[kAcsText]);
}

void DashboardApp::WriteEnginePage() {
    display.SelectPage(kEnginePage);
    FormatInteger(sample.rpl, engineObjects[kLeftRpm]);
    FormatInteger(sample.rpr, engineObjects[kRightRpm]);
    FormatInteger(sample.egl, engineObjects[kLeftTemp]);
    FormatInteger(sample.egr, engineObjects[kRightTemp]);
}

// The mode word: exactly three characters, then ":". A shorter word ends at
// its NUL, so it shows without the colon.
void DashboardApp::WriteModWord() {
    for (std::size_t i = 0; i < kModCharacters; ++i) textBuffer[i] = Widen(sample.mod[i]);
    textBuffer[kModCharacters] = L':';
    textBuffer[kModCharacters + 1] = L'\0';
    display.SetObjectText(flightObjects[kModText], textBuffer.data());
}

// Up to maxCharacters of the word, ending at its NUL and never reading past
// its field, always terminated inside the buffer.
void DashboardApp::WriteWord(const char* word, std::size_t fieldBytes, std::size_t maxCharacters,
                             DashboardDisplay::Handle object) {
    const std::size_t length = std::min({strnlen(word, fieldBytes), maxCharacters, textBuffer.size() - 1});
    for (std::size_t i = 0; i < length; ++i) textBuffer[i] = Widen(word[i]);
    textBuffer[length] = L'\0';
    display.SetObjectText(object, textBuffer.data());
}

void DashboardApp::HandleButtons() {
    if (display.IsButtonReleased(kFlightButton)) {
        display.ShowPage(kFlightPage);
        flightPageActive = true;
        enginePageActive = false;
        metricUnits = !metricUnits;
    }
    if (display.IsButtonReleased(kEngineButton)) {
        display.ShowPage(kEnginePage);
        flightPageActive = false;
        enginePageActive = true;
    }
    if (display.IsButtonReleased(kRearmButton)) lowFuelArmed = true;
}

}  // namespace vareko

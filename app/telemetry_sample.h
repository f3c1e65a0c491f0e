// The flight-data record filled from the simulator's datagrams, and the table
// of its 41 datagram keys in datagram order. The parser, the sender tool and
// the tests all walk this one table. Depends only on the standard library.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

namespace vareko {

// One field per datagram key, in datagram order: 38 single-precision numbers,
// then three NUL-terminated words of 8-bit characters (3, 7 and 19 characters).
// Value-initialised, every number is 0 and every word is empty.
struct TelemetrySample {
    float asl;
    float agl;  // altitude, metres
    float mbr;
    float vvi;  // vertical speed
    float aoa;
    float bal;
    float pit;
    float bnk;
    float yaw;
    float rpi;
    float rbk;
    float mch;
    float ias;  // speed, metres per second
    float tas;
    float ras;
    float glo;
    float noz;
    float tki;  // internal fuel, kilograms
    float tke;  // external fuel, kilograms
    float flw;
    float rpl;  // left engine RPM
    float rpr;  // right engine RPM
    float egl;  // left engine temperature
    float egr;  // right engine temperature
    float lnd;
    float brk;
    float epu;
    float oil;
    float chf;
    float flr;
    float loc;
    float gds;
    float crs;
    float rmi;
    float dis;
    float bea;
    float hdg;  // heading, radians
    float ded;
    char mod[4];
    char sub[8];
    char acs[20];
};

static_assert(std::is_standard_layout_v<TelemetrySample>);
static_assert(sizeof(TelemetrySample) == 38 * sizeof(float) + 4 + 8 + 20);

// Every datagram begins with this text; a datagram without it changes nothing.
// The view points into a named array so that every unit sees one object (a
// view of a literal would point at a different copy in each unit).
inline constexpr char kTelemetryPrefixText[] = "src=export.lua;";
inline constexpr std::string_view kTelemetryPrefix{kTelemetryPrefixText, std::size(kTelemetryPrefixText) - 1};

// The UDP port the simulator's export script sends to.
inline constexpr unsigned short kTelemetryPort = 6060;

enum class TelemetryKind { Number, Word };

// One datagram key. Number keys name their float member; word keys give
// access to their character array, whose size (NUL included) is capacity.
struct TelemetryKey {
    std::string_view name;
    TelemetryKind kind;
    float TelemetrySample::*number;
    std::span<char> (*word)(TelemetrySample&);
    std::span<const char> (*constWord)(const TelemetrySample&);
    std::size_t capacity;
};

// Every key name, three letters each, in datagram order. The table's names
// are views into this one named array, never into the literals written in the
// table: an inline view of a literal points at a different copy of it in each
// unit, and clang may mix the copies (see kTelemetryPrefixText).
inline constexpr char kTelemetryKeyNamesText[] =
    "aslaglmbrvviaoabalpitbnkyawrpirbkmchiastasrasglonoztkitkeflwrplrpreglegrlndbrkepuoilchfflr"
    "locgdscrsrmidisbeahdgdedmodsubacs";

namespace telemetry_detail {

inline constexpr std::size_t kKeyNameLength = 3;

// The view of `name` inside kTelemetryKeyNamesText; empty when it is missing
// there (the check after the table then fails to compile).
constexpr std::string_view KeyName(std::string_view name) {
    const std::string_view all{kTelemetryKeyNamesText, std::size(kTelemetryKeyNamesText) - 1};
    for (std::size_t at = 0; name.size() == kKeyNameLength && at < all.size(); at += kKeyNameLength) {
        if (all.substr(at, kKeyNameLength) == name) return all.substr(at, kKeyNameLength);
    }
    return {};
}

constexpr TelemetryKey NumberKey(std::string_view name, float TelemetrySample::*field) {
    return {KeyName(name), TelemetryKind::Number, field, nullptr, nullptr, 0};
}

template <auto Field>
constexpr TelemetryKey WordKey(std::string_view name) {
    using Array = std::remove_reference_t<decltype(std::declval<TelemetrySample&>().*Field)>;
    return {KeyName(name),
            TelemetryKind::Word,
            nullptr,
            [](TelemetrySample& sample) { return std::span<char>(sample.*Field); },
            [](const TelemetrySample& sample) { return std::span<const char>(sample.*Field); },
            std::extent_v<Array>};
}

}  // namespace telemetry_detail

inline constexpr std::size_t kTelemetryNumberCount = 38;
inline constexpr std::size_t kTelemetryWordCount = 3;

inline constexpr std::array<TelemetryKey, kTelemetryNumberCount + kTelemetryWordCount>
    kTelemetryKeys = {
        telemetry_detail::NumberKey("asl", &TelemetrySample::asl),
        telemetry_detail::NumberKey("agl", &TelemetrySample::agl),
        telemetry_detail::NumberKey("mbr", &TelemetrySample::mbr),
        telemetry_detail::NumberKey("vvi", &TelemetrySample::vvi),
        telemetry_detail::NumberKey("aoa", &TelemetrySample::aoa),
        telemetry_detail::NumberKey("bal", &TelemetrySample::bal),
        telemetry_detail::NumberKey("pit", &TelemetrySample::pit),
        telemetry_detail::NumberKey("bnk", &TelemetrySample::bnk),
        telemetry_detail::NumberKey("yaw", &TelemetrySample::yaw),
        telemetry_detail::NumberKey("rpi", &TelemetrySample::rpi),
        telemetry_detail::NumberKey("rbk", &TelemetrySample::rbk),
        telemetry_detail::NumberKey("mch", &TelemetrySample::mch),
        telemetry_detail::NumberKey("ias", &TelemetrySample::ias),
        telemetry_detail::NumberKey("tas", &TelemetrySample::tas),
        telemetry_detail::NumberKey("ras", &TelemetrySample::ras),
        telemetry_detail::NumberKey("glo", &TelemetrySample::glo),
        telemetry_detail::NumberKey("noz", &TelemetrySample::noz),
        telemetry_detail::NumberKey("tki", &TelemetrySample::tki),
        telemetry_detail::NumberKey("tke", &TelemetrySample::tke),
        telemetry_detail::NumberKey("flw", &TelemetrySample::flw),
        telemetry_detail::NumberKey("rpl", &TelemetrySample::rpl),
        telemetry_detail::NumberKey("rpr", &TelemetrySample::rpr),
        telemetry_detail::NumberKey("egl", &TelemetrySample::egl),
        telemetry_detail::NumberKey("egr", &TelemetrySample::egr),
        telemetry_detail::NumberKey("lnd", &TelemetrySample::lnd),
        telemetry_detail::NumberKey("brk", &TelemetrySample::brk),
        telemetry_detail::NumberKey("epu", &TelemetrySample::epu),
        telemetry_detail::NumberKey("oil", &TelemetrySample::oil),
        telemetry_detail::NumberKey("chf", &TelemetrySample::chf),
        telemetry_detail::NumberKey("flr", &TelemetrySample::flr),
        telemetry_detail::NumberKey("loc", &TelemetrySample::loc),
        telemetry_detail::NumberKey("gds", &TelemetrySample::gds),
        telemetry_detail::NumberKey("crs", &TelemetrySample::crs),
        telemetry_detail::NumberKey("rmi", &TelemetrySample::rmi),
        telemetry_detail::NumberKey("dis", &TelemetrySample::dis),
        telemetry_detail::NumberKey("bea", &TelemetrySample::bea),
        telemetry_detail::NumberKey("hdg", &TelemetrySample::hdg),
        telemetry_detail::NumberKey("ded", &TelemetrySample::ded),
        telemetry_detail::WordKey<&TelemetrySample::mod>("mod"),
        telemetry_detail::WordKey<&TelemetrySample::sub>("sub"),
        telemetry_detail::WordKey<&TelemetrySample::acs>("acs"),
};

// Key i views letters 3i to 3i + 2 of the named array.
static_assert([] {
    for (std::size_t i = 0; i < kTelemetryKeys.size(); ++i) {
        if (kTelemetryKeys[i].name.data() != kTelemetryKeyNamesText + i * telemetry_detail::kKeyNameLength ||
            kTelemetryKeys[i].name.size() != telemetry_detail::kKeyNameLength) {
            return false;
        }
    }
    return std::size(kTelemetryKeyNamesText) - 1 == kTelemetryKeys.size() * telemetry_detail::kKeyNameLength;
}());

}  // namespace vareko

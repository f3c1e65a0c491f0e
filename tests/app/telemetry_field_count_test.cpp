// How far a datagram got: the count of fields that ParseTelemetry stored,
// which decides whether a datagram may arm the low-fuel warning.
#include <gtest/gtest.h>

#include <string>

#include "app/telemetry_parser.h"

namespace vareko {
namespace {

std::string FullDatagram() {
    std::string text(kTelemetryPrefix);
    for (const TelemetryKey& key : kTelemetryKeys) {
        text += std::string(key.name) + (key.kind == TelemetryKind::Number ? "=1;" : "=W ;");
    }
    return text;
}

std::string UpTo(const char* key) {
    const std::string full = FullDatagram();
    return full.substr(0, full.find(std::string(key) + "="));
}

TEST(TelemetryFieldCount, CountsTheFieldsStoredInDatagramOrder) {
    const struct {
        std::string text;
        int stored;
    } cases[] = {
        {"", 0},
        {"src=export.lua", 0},
        {"src=export.lua;", 0},
        {"SRC=export.lua;asl=1;agl=2", 0},
        {"src=export.lua;asl=1;agl=2", 2},
        {"src=export.lua;asl=1;agl=x", 1},
        {"src=export.lua;asl=1,5;agl=2", 1},
        {UpTo("tki"), 17},               // cut just before the internal fuel
        {UpTo("tki") + "tki=950", 18},   // the internal fuel is field 18
        {UpTo("mod") + "mod=NAV;sub=X ;acs=Y", 39},  // ';' glued to the word
        {FullDatagram(), 41},
    };
    for (const auto& c : cases) {
        TelemetrySample sample{};
        EXPECT_EQ(c.stored, ParseTelemetry(c.text.c_str(), sample)) << c.text;
    }
}

}  // namespace
}  // namespace vareko

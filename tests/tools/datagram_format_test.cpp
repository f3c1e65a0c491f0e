// The sender's datagrams: exact text for a known record, and a round trip
// through the dashboard's own parser at many moments of the flight.
#include <gtest/gtest.h>

#include <cstring>

#include "app/telemetry_parser.h"
#include "tools/send/datagram_format.h"
#include "tools/send/flight_model.h"

namespace vareko::send {
namespace {

TEST(DatagramFormat, WritesEveryKeyInOrderWithBlanksBeforeTheWordSeparators) {
    TelemetrySample s{};
    s.asl = 1.5f;
    s.vvi = -0.25f;
    s.ias = 100.0f;
    s.hdg = 3.14f;
    s.ded = 1234567.8f;
    std::strcpy(s.mod, "NAV");
    std::strcpy(s.sub, "CRUISE");
    std::strcpy(s.acs, "ALT-HOLD");
    const std::string expected =
        "src=export.lua;asl=1.5;agl=0;mbr=0;vvi=-0.25;aoa=0;bal=0;pit=0;bnk=0;yaw=0;rpi=0;rbk=0;mch=0;"
        "ias=100;tas=0;ras=0;glo=0;noz=0;tki=0;tke=0;flw=0;rpl=0;rpr=0;egl=0;egr=0;lnd=0;brk=0;epu=0;"
        "oil=0;chf=0;flr=0;loc=0;gds=0;crs=0;rmi=0;dis=0;bea=0;hdg=3.14;ded=1234567.8;"
        "mod=NAV ;sub=CRUISE ;acs=ALT-HOLD \n";
    EXPECT_EQ(expected, FormatDatagram(s));
}

TEST(DatagramFormat, ReadsBackThroughTheParserAsTheSameRecord) {
    for (double t = 0; t < FlightCycleSeconds(); t += 3.7) {
        TelemetrySample sent{};
        SampleFlight(t, sent);
        const std::string text = FormatDatagram(sent);
        ASSERT_LE(text.size(), 1515u) << "must fit the receiver's buffer";
        TelemetrySample received{};
        std::memset(&received, 0x55, sizeof received);  // every field must be overwritten
        ParseTelemetry(text.c_str(), received);
        for (const TelemetryKey& key : kTelemetryKeys) {
            if (key.kind == TelemetryKind::Number) {
                ASSERT_EQ(sent.*key.number, received.*key.number) << key.name << " at " << t << " s:\n" << text;
            } else {
                ASSERT_STREQ(key.constWord(sent).data(), key.constWord(received).data()) << key.name;
            }
        }
    }
}

}  // namespace
}  // namespace vareko::send

// Bad-input table: every nasty datagram of bad_datagrams.h is parsed as the
// receiver parses it (its bytes, then a NUL) by ParseTelemetry and by sscanf
// with the datagram template, and the records are compared field by field
// (numbers bit for bit, so -0 and NaN signs count), together with the count
// of fields stored. The generated differential test covers the space around.
#include <gtest/gtest.h>

#include <string>

#include "app/telemetry_parser.h"
#include "testing/support/bad_datagrams.h"
#include "testing/support/scanf_reference.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

using testing::BadDatagram;
using testing::DescribeDifferences;
using testing::PreviousSample;
using testing::ReferenceParse;

TEST(TelemetryParserBadInputTest, EveryRowMatchesScanfFieldByField) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference rules are those of the GNU C library's sscanf";
#endif
    for (const BadDatagram& row : testing::BadDatagramsThatFit()) {
        SCOPED_TRACE(row.name);
        ASSERT_LE(row.bytes.size(), testing::kReferenceMaxText);
        TelemetrySample ours = PreviousSample();
        TelemetrySample reference = PreviousSample();
        const int ourCount = ParseTelemetry(row.bytes.c_str(), ours);
        const int referenceCount = ReferenceParse(row.bytes.c_str(), reference);
        EXPECT_EQ(DescribeDifferences(ours, reference), "");
        EXPECT_EQ(ourCount, referenceCount);
    }
}

// The table must keep reaching the places it was written for: a row that
// stops at the prefix by mistake would compare two untouched records.
TEST(TelemetryParserBadInputTest, RowsReachTheFieldsTheyProbe) {
    int complete = 0;
    int reachedLastNumber = 0;
    int fillTheBuffer = 0;
    for (const BadDatagram& row : testing::BadDatagramsThatFit()) {
        fillTheBuffer += row.bytes.size() == testing::kReferenceMaxText ? 1 : 0;
        TelemetrySample sample = PreviousSample();
        const int count = ParseTelemetry(row.bytes.c_str(), sample);
        complete += count == static_cast<int>(kTelemetryKeys.size()) ? 1 : 0;
        reachedLastNumber += count >= static_cast<int>(kTelemetryNumberCount) ? 1 : 0;
    }
    EXPECT_GT(complete, 250);
    EXPECT_GT(reachedLastNumber, 350);
    EXPECT_EQ(fillTheBuffer, 6);
    for (const BadDatagram& row : testing::OversizedDatagrams()) {
        EXPECT_GT(row.bytes.size(), testing::kReferenceMaxText) << row.name;
    }
}

}  // namespace
}  // namespace vareko

// The service's drop lines: who and why in one line, and a rate limit that a
// flood of bad clients cannot get past.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/display-service/service/drop_log.h"

namespace vareko::displayservice {
namespace {

using std::chrono::seconds;

TEST(DropLog, LinesNameTheClientItsTransportAndTheFailedCheck) {
    const struct {
        DroppedClient who;
        DropReason why;
        const char* detail;
        const char* line;
    } cases[] = {
        {{7, false, 4242, 1000, 0}, DropReason::kMalformed, "unknown type",
         "vareko-display: dropped client 7 (unix pid 4242 uid 1000): malformed message (unknown type)"},
        {{0, false, 99, 65534, 0}, DropReason::kForeignUser, "",
         "vareko-display: dropped connection (unix pid 99 uid 65534): peer runs as another user"},
        {{3, true, 0, -1, 51000}, DropReason::kBadToken, "",
         "vareko-display: dropped client 3 (tcp 127.0.0.1:51000): wrong token"},
        {{0, true, 0, -1, 0}, DropReason::kDescriptors, "",
         "vareko-display: dropped connection (tcp): out of file descriptors"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeDrop(c.who, c.why, c.detail), c.line);
}

TEST(DropLog, AFloodIsCutToALimitPerWindowAndCountedAfterwards) {
    std::vector<std::string> lines;
    DropLog log([&](const std::string& line) { lines.push_back(line); });
    const std::chrono::steady_clock::time_point start{seconds(1000)};
    const DroppedClient who{1, true, 0, -1, 40000};
    for (int i = 0; i < 1000; ++i) log.Record(who, DropReason::kTokenTimeout, "", start + std::chrono::milliseconds(i));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kDropLinesPerWindow));

    // The count of what was left out comes once the window is over, without
    // another drop; then drops are logged again.
    log.Tick(start + kDropLogWindow - seconds(1));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kDropLinesPerWindow));
    log.Tick(start + kDropLogWindow);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDropLinesPerWindow) + 1);
    EXPECT_EQ(lines.back(), "vareko-display: " + std::to_string(1000 - kDropLinesPerWindow) +
                                " more dropped connections in the last 60 s were not logged one by one");
    log.Record(who, DropReason::kBadToken, "", start + kDropLogWindow + seconds(1));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kDropLinesPerWindow) + 2);
}

TEST(DropLog, AClientThatLeavesIsNotADrop) {
    int lines = 0;
    DropLog log([&](const std::string&) { ++lines; });
    log.Record({1, false, 1, 1, 0}, DropReason::kLeft, "", std::chrono::steady_clock::now());
    EXPECT_EQ(lines, 0);
}

}  // namespace
}  // namespace vareko::displayservice

// Which client the device shows.
#include <gtest/gtest.h>

#include <vector>

#include "tools/display-service/service/arbitration.h"

namespace vareko::displayservice {
namespace {

TEST(Arbitration, ChoosesHighestPriorityThenLatestSender) {
    using C = ArbitrationCandidate;
    const struct {
        const char* what;
        std::vector<C> candidates;
        std::uint32_t shown;
    } cases[] = {
        {"nobody", {}, 0},
        {"one client", {{1, true, true, 128, 1}}, 1},
        {"priority 0 is never shown", {{1, true, true, 0, 5}}, 0},
        {"no frame yet", {{1, true, false, 128, 0}}, 0},
        {"device closed", {{1, false, true, 128, 3}}, 0},
        {"higher priority wins over later frame", {{1, true, true, 200, 1}, {2, true, true, 100, 9}}, 1},
        {"tie goes to the latest sender", {{1, true, true, 128, 4}, {2, true, true, 128, 3}, {3, true, true, 128, 7}}, 3},
        {"zero priority does not win a tie", {{1, true, true, 0, 9}, {2, true, true, 1, 1}}, 2},
        {"largest unsigned priority", {{1, true, true, 0xFFFFFFFF, 1}, {2, true, true, 0xFFFFFFFE, 2}}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseShownClient(c.candidates), c.shown) << c.what;
}

}  // namespace
}  // namespace vareko::displayservice

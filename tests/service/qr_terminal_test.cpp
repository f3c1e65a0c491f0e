// QR codes for the terminal: the half-block drawing of a module grid, and
// the encoder's grid (its three finder patterns) where the build has one.
#include <gtest/gtest.h>

#include "tools/display-service/cli/qr_terminal.h"

namespace vareko::displayservice {
namespace {

TEST(QrTerminal, TwoRowsOfModulesShareOneLineOfHalfBlocks) {
    const QrModules modules = {
        {true, false, true},
        {false, true, true},
        {true, false, false},
    };
    // With one light module around: rows 0-1, 2-3 and 4 (and the light row
    // below) make three lines of five cells.
    const std::string expected = std::string("\x1b[30;47m") + " \u2584 \u2584 " + "\x1b[0m\n" +
                                 "\x1b[30;47m" + " \u2584\u2580\u2580 " + "\x1b[0m\n" +
                                 "\x1b[30;47m" + "     " + "\x1b[0m\n";
    EXPECT_EQ(DrawQr(modules, 1), expected);
}

// The 7 x 7 ring with its 3 x 3 core whose top left corner is at (row, column).
bool HasFinder(const QrModules& m, std::size_t row, std::size_t column) {
    for (std::size_t r = 0; r < 7; ++r) {
        for (std::size_t c = 0; c < 7; ++c) {
            const bool ring = r == 0 || r == 6 || c == 0 || c == 6;
            const bool core = r >= 2 && r <= 4 && c >= 2 && c <= 4;
            if (m[row + r][column + c] != (ring || core)) return false;
        }
    }
    return true;
}

TEST(QrTerminal, AnAddressEncodesToACodeWithItsThreeFinderPatterns) {
    QrModules modules;
    std::string error;
    if (!EncodeQr("http://192.0.2.7:8643/?key=" + std::string(64, 'f'), modules, error)) {
        EXPECT_EQ(error, "QR codes are not available in this build");
        GTEST_SKIP() << error;
    }
    const std::size_t size = modules.size();
    ASSERT_GE(size, 21u);
    EXPECT_EQ((size - 21) % 4, 0u) << "a QR code has 21 + 4 k modules a side";
    EXPECT_TRUE(HasFinder(modules, 0, 0));
    EXPECT_TRUE(HasFinder(modules, 0, size - 7));
    EXPECT_TRUE(HasFinder(modules, size - 7, 0));
    EXPECT_FALSE(HasFinder(modules, size - 7, size - 7));
}

}  // namespace
}  // namespace vareko::displayservice

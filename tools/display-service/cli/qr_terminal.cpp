// Drawing QR modules with half blocks.
#include "tools/display-service/cli/qr_terminal.h"

namespace vareko::displayservice {
namespace {

constexpr const char* kBlackOnWhite = "\x1b[30;47m";
constexpr const char* kReset = "\x1b[0m";
// Indexed by (upper dark) * 2 + (lower dark): the glyph drawn in black.
constexpr const char* kCells[] = {" ", "\u2584", "\u2580", "\u2588"};

}  // namespace

std::string DrawQr(const QrModules& modules, int quiet) {
    const int size = static_cast<int>(modules.size());
    const auto dark = [&](int row, int column) {
        row -= quiet;
        column -= quiet;
        return row >= 0 && row < size && column >= 0 && column < size &&
               modules[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    };
    const int extent = size + 2 * quiet;
    std::string text;
    for (int row = 0; row < extent; row += 2) {
        text += kBlackOnWhite;
        for (int column = 0; column < extent; ++column) {
            text += kCells[(dark(row, column) ? 2 : 0) + (dark(row + 1, column) ? 1 : 0)];
        }
        text += kReset;
        text += '\n';
    }
    return text;
}

}  // namespace vareko::displayservice

// A URL as a QR code drawn in a terminal, so that a tablet's camera opens
// it: two modules per character cell (upper and lower half blocks), black on
// white whatever the terminal's colours, with the quiet zone around it.
// The encoder is libqrencode where the build has it (qr_terminal_qrencode.cpp);
// otherwise qr_terminal_none.cpp says so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vareko::displayservice {

// Rows of modules, true = dark.
using QrModules = std::vector<std::vector<bool>>;

// The code for `text` (error correction level L); false with the reason.
bool EncodeQr(std::string_view text, QrModules& modules, std::string& error);

// The terminal text of `modules`: one line per two rows, each ending in a
// colour reset and a newline; `quiet` light modules around every side.
std::string DrawQr(const QrModules& modules, int quiet = 4);

}  // namespace vareko::displayservice

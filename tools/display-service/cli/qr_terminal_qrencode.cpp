// QR encoding with libqrencode.
#include <qrencode.h>

#include <cerrno>
#include <cstring>

#include "tools/display-service/cli/qr_terminal.h"

namespace vareko::displayservice {

bool EncodeQr(std::string_view text, QrModules& modules, std::string& error) {
    const std::string copy(text);  // the encoder takes a NUL-ended string
    QRcode* code = QRcode_encodeString(copy.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (code == nullptr) {
        error = std::string("cannot encode the address as a QR code: ") + std::strerror(errno);
        return false;
    }
    const auto width = static_cast<std::size_t>(code->width);
    modules.assign(width, std::vector<bool>(width, false));
    // Bit 0 of each byte is the module's colour (1 = dark).
    for (std::size_t row = 0; row < width; ++row) {
        for (std::size_t column = 0; column < width; ++column) {
            modules[row][column] = (code->data[row * width + column] & 1) != 0;
        }
    }
    QRcode_free(code);
    return true;
}

}  // namespace vareko::displayservice

// Builds without libqrencode draw no QR codes.
#include "tools/display-service/cli/qr_terminal.h"

namespace vareko::displayservice {

bool EncodeQr(std::string_view, QrModules&, std::string& error) {
    error = "QR codes are not available in this build";
    return false;
}

}  // namespace vareko::displayservice

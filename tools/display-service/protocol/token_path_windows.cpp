// Windows clients, and the Windows service, read $VAREKO_DISPLAY_TOKEN (a Unix path goes through drive
// Z:), else %LOCALAPPDATA%\Vareko\display.token.
#include <cstdlib>

#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice {

std::string ResolveTokenPath() {
    if (const char* env = std::getenv(kTokenFileVariable); env != nullptr && *env != '\0') {
        return TokenPathForWindows(env);
    }
    if (const char* local = std::getenv("LOCALAPPDATA"); local != nullptr && *local != '\0') {
        return std::string(local) + "\\Vareko\\display.token";
    }
    return {};
}

std::string ServiceTokenPath(const std::string&) { return ResolveTokenPath(); }

}  // namespace vareko::displayservice

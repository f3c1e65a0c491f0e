// Path rules of the token file shared by both platforms.
#include "tools/display-service/protocol/token_path.h"

#include <cstdlib>

namespace vareko::displayservice {

std::string TokenPathForSocket(const std::string& socketPath) {
    if (const char* env = std::getenv(kTokenFileVariable); env != nullptr && *env != '\0') return env;
    const auto slash = socketPath.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : socketPath.substr(0, slash == 0 ? 1 : slash);
    return dir + (dir.back() == '/' ? "" : "/") + "display.token";
}

std::string TokenPathForWindows(std::string_view value) {
    if (value.empty() || value.front() != '/') return std::string(value);
    std::string path = "Z:";
    for (const char c : value) path += c == '/' ? '\\' : c;
    return path;
}

}  // namespace vareko::displayservice

// `vareko-display url`: prints the owner's address of the running service's
// browser viewer, secret included, as one line; opening it lets this
// browser in. The service writes it beside the token file, readable by its
// user only.
#include <cstdio>
#include <string>

#include "tools/display-service/cli/cli_commands.h"
#include "tools/display-service/protocol/token_path.h"
#include "tools/display-service/service/viewer_access.h"

namespace vareko::displayservice {
namespace {

constexpr std::size_t kMaxUrlFileBytes = 256;

bool ReadUrlLine(const std::string& path, std::string& line) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    char text[kMaxUrlFileBytes + 1];
    const std::size_t n = std::fread(text, 1, sizeof text, file);
    std::fclose(file);
    line.assign(text, n);
    const std::size_t end = line.find('\n');
    if (n > kMaxUrlFileBytes || end == std::string::npos || end + 1 != n) return false;
    line.resize(end);
    return line.starts_with("http://127.0.0.1:");
}

}  // namespace

int RunUrl(const Arguments& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: vareko-display url\n");
        return 2;
    }
    const std::string path = OwnerUrlPath(ResolveTokenPath());
    std::string line;
    if (!ReadUrlLine(path, line)) {
        std::fprintf(stderr, "vareko-display: no viewer address in %s (is the display service running, "
                             "with its viewer?)\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace vareko::displayservice

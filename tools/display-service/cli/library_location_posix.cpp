// The device library's place on Linux: beside this executable (a build
// tree), or in the installed library folder relative to it.
#include <climits>
#include <cstdlib>
#include <unistd.h>

#include "tools/display-service/cli/library_location.h"

namespace vareko::displayservice {
namespace {

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/'));
}

}  // namespace

const char* const kLibraryFileName = "libvareko-display.so";

std::string AbsoluteExistingPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string FindLibraryNearExecutable() {
    const std::string dir = ExecutableDirectory();
    const std::string candidates[] = {
        dir + "/" + kLibraryFileName,
        dir + "/../" VAREKO_INSTALL_LIBDIR "/" + kLibraryFileName,
    };
    for (const std::string& candidate : candidates) {
        if (std::string found = AbsoluteExistingPath(candidate); !found.empty()) return found;
    }
    return {};
}

}  // namespace vareko::displayservice

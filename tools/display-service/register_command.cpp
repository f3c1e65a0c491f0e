// `vareko-display register [PATH]`: records the device library's absolute
// path as the default value of the library key under HKEY_LOCAL_MACHINE, so
// that the program finds it. Without PATH the library is looked for beside
// this executable, then in the installed library directory. A relative PATH
// is made absolute; a library that fails the platform's trust check (one
// another user could replace) is refused, as the program would refuse it.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "platform/win32/trusted_path.h"
#include "tools/display-service/cli_commands.h"

namespace vareko::displayservice {
namespace {

// The program reads the value into a 260-byte buffer, terminating zero included.
constexpr std::size_t kMaxLibraryPathBytes = 259;
constexpr const char* kLibraryFileName = "libvareko-display.so";

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/'));
}

std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string FindLibrary() {
    const std::string dir = ExecutableDirectory();
    const std::string candidates[] = {
        dir + "/" + kLibraryFileName,
        dir + "/../" VAREKO_INSTALL_LIBDIR "/" + kLibraryFileName,
    };
    for (const std::string& candidate : candidates) {
        if (std::string found = Canonical(candidate); !found.empty()) return found;
    }
    return {};
}

}  // namespace

int RunRegister(const Arguments& args) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: vareko-display register [PATH]\n");
        return 2;
    }
    const std::string path = args.empty() ? FindLibrary() : Canonical(args[0]);
    if (path.empty()) {
        std::fprintf(stderr, "vareko-display: cannot find %s\n", args.empty() ? kLibraryFileName : args[0].c_str());
        return 1;
    }
    if (const platform::PathCheck check = platform::CheckTrustedFile(path.c_str()); !check.Trusted()) {
        std::fprintf(stderr, "vareko-display: refusing %s: %s\n", path.c_str(),
                     platform::ExplainPathCheck(check, path).c_str());
        return 1;
    }
    if (path.size() > kMaxLibraryPathBytes) {
        std::fprintf(stderr, "vareko-display: %s is longer than the %zu bytes the program can read\n",
                     path.c_str(), kMaxLibraryPathBytes);
        return 1;
    }
    HKEY key = nullptr;
    LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_WRITE, nullptr, &key, nullptr);
    if (r == 0) {
        r = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }
    if (r != 0) {
        std::fprintf(stderr, "vareko-display: cannot write the registry (error %ld)\n", static_cast<long>(r));
        return 1;
    }
    std::printf("registered %s\n", path.c_str());
    return 0;
}

}  // namespace vareko::displayservice

// `vareko-display register [PATH]`: records the device library's absolute
// path as the default value of the library key under HKEY_LOCAL_MACHINE, so
// that the program finds it. Without PATH the library is looked for beside
// this executable, then (Linux) in the installed library directory. On
// Windows the value goes into the system's registry. A relative PATH
// is made absolute; a library that fails the platform's trust check (one
// another user could replace) is refused, as the program would refuse it.
#include <cstdio>
#include <string>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "platform/win32/trusted_path.h"
#include "tools/display-service/cli/cli_commands.h"
#include "tools/display-service/cli/library_location.h"

namespace vareko::displayservice {
namespace {

// The program reads the value into a 260-byte buffer, terminating zero included.
constexpr std::size_t kMaxLibraryPathBytes = 259;

}  // namespace

int RunRegister(const Arguments& args) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: vareko-display register [PATH]\n");
        return 2;
    }
    const std::string path = args.empty() ? FindLibraryNearExecutable() : AbsoluteExistingPath(args[0]);
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
        // HKEY_LOCAL_MACHINE is the machine's: on Windows only an administrator may write there.
        std::fprintf(stderr, "vareko-display: cannot write the registry (error %ld%s)\n", static_cast<long>(r),
                     r == ERROR_ACCESS_DENIED ? ": access denied; run it as administrator" : "");
        return 1;
    }
    std::printf("registered %s\n", path.c_str());
    return 0;
}

}  // namespace vareko::displayservice

// The device library's place on Windows: beside vareko-display.exe, as the
// archive ships them.
#include <windows.h>

#include "tools/display-service/cli/library_location.h"

namespace vareko::displayservice {

const char* const kLibraryFileName = "vareko-display.dll";

std::string AbsoluteExistingPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return {};
    const DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
    return std::string(full, n);
}

std::string FindLibraryNearExecutable() {
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe) return {};
    std::string path(exe, n);
    path = path.substr(0, path.find_last_of("\\/") + 1) + kLibraryFileName;
    return AbsoluteExistingPath(path);
}

}  // namespace vareko::displayservice

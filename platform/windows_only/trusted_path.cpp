// The trust check on Windows: the path must be absolute and name a file.
// Ownership and write access are the system's access control lists' job.
#include "platform/win32/trusted_path.h"

#include "platform/win32.h"

namespace vareko::platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsAbsolutePath(const char* path) {
    if (path == nullptr) {
        return false;
    }
    const bool drivePath = IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
    const bool uncPath = IsSeparator(path[0]) && IsSeparator(path[1]);
    return drivePath || uncPath;
}

PathCheck CheckTrustedFile(const char* path) {
    if (!IsAbsolutePath(path)) {
        return {PathTrust::NotAbsolute, path != nullptr ? path : ""};
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {PathTrust::Missing, path};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {PathTrust::NotAFile, path};
    }
    return {};
}

}  // namespace vareko::platform

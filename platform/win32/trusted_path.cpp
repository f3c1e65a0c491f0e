// The trust check on the file system: lstat on every prefix of the path as
// given (so symbolic links are owned by someone trusted), then the same on
// the path with every link resolved (so what they point to is too).
#include "platform/win32/trusted_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace vareko::platform {
namespace {

constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

// A directory others may write into is safe only when nobody but root can
// remove or rename what the caller put there.
bool SafeDirectory(const struct stat& status) {
    return (status.st_mode & kWritableByOthers) == 0 ||
           (status.st_uid == 0 && (status.st_mode & S_ISVTX) != 0);
}

PathCheck Failed(PathTrust trust, const std::string& where) { return {trust, where}; }

// One entry on the path. Links pass on their owner alone: what they name
// is checked on the resolved path.
PathCheck CheckEntry(const std::string& path, bool last) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return Failed(missing ? PathTrust::Missing : PathTrust::Unreadable, path);
    }
    if (!TrustedOwner(status.st_uid)) {
        return Failed(PathTrust::ForeignOwner, path);
    }
    if (S_ISLNK(status.st_mode)) {
        return {};
    }
    if (last) {
        if (!S_ISREG(status.st_mode)) {
            return Failed(PathTrust::NotAFile, path);
        }
        return (status.st_mode & kWritableByOthers) == 0 ? PathCheck{}
                                                        : Failed(PathTrust::WritableByOthers, path);
    }
    if (!S_ISDIR(status.st_mode)) {
        return Failed(PathTrust::Missing, path);
    }
    return SafeDirectory(status) ? PathCheck{} : Failed(PathTrust::WritableByOthers, path);
}

// "/", then each longer prefix up to the whole path.
PathCheck CheckEveryPrefix(const std::string& path) {
    if (PathCheck root = CheckEntry("/", false); !root.Trusted()) {
        return root;
    }
    std::vector<std::string> components;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) {
            components.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    std::string prefix;
    for (std::size_t i = 0; i < components.size(); ++i) {
        prefix += '/';
        prefix += components[i];
        if (PathCheck entry = CheckEntry(prefix, i + 1 == components.size()); !entry.Trusted()) {
            return entry;
        }
    }
    return {};
}

}  // namespace

bool IsAbsolutePath(const char* path) { return path != nullptr && path[0] == '/'; }

PathCheck CheckTrustedFile(const char* path) {
    if (!IsAbsolutePath(path)) {
        return Failed(PathTrust::NotAbsolute, path != nullptr ? path : "");
    }
    if (PathCheck given = CheckEveryPrefix(path); !given.Trusted()) {
        return given;
    }
    char resolved[PATH_MAX];
    if (realpath(path, resolved) == nullptr) {
        return Failed(errno == ENOENT ? PathTrust::Missing : PathTrust::Unreadable, path);
    }
    return CheckEveryPrefix(resolved);
}

}  // namespace vareko::platform


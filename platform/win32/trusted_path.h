// Whether a file may be trusted to hold code or settings for the caller: the
// rule that keeps other local users from handing the program their code.
// On Linux a file qualifies when its path is absolute, the file is regular,
// and it and every directory on its path (before and after following
// symbolic links) are owned by root or the caller and writable by neither
// group nor others; a world-writable directory passes only when root owns it
// and its sticky bit is set (as /tmp), because there others cannot replace
// what the caller owns. On Windows the path must be absolute and name a
// file; the system's own access control guards the rest.
// Used by the loader, the registry and the tools that record a library.
#pragma once

#include <cstdint>
#include <string>

namespace vareko::platform {

// An application-defined result code (bit 29 set, which no system code has)
// for a file refused by the check; the registry reports it for such a value.
constexpr std::uint32_t kUntrustedPathError = 0x20000001u;

enum class PathTrust : std::uint8_t {
    Trusted,
    NotAbsolute,       // a relative path, which would depend on the current directory
    Missing,           // the file, or a directory on its path, does not exist
    NotAFile,          // not a regular file
    ForeignOwner,      // owned by a user other than root and the caller
    WritableByOthers,  // group or others may write it (and it is no root-owned sticky directory)
    Unreadable,        // its status cannot be read
};

struct PathCheck {
    PathTrust trust = PathTrust::Trusted;
    std::string where;  // the file or directory that failed the check; empty when trusted

    bool Trusted() const { return trust == PathTrust::Trusted; }
    friend bool operator==(const PathCheck&, const PathCheck&) = default;
};

// Whether `path` is absolute on this platform ('/' first on Linux; a drive
// letter and separator, or a UNC name, on Windows).
bool IsAbsolutePath(const char* path);

// Checks the file at `path` and every directory on the way to it.
PathCheck CheckTrustedFile(const char* path);

// The failed check as a clause about `checked`, the path that was given:
// "it is not an absolute path", "/opt/lib does not exist"; "it " alone
// when the check passed.
std::string ExplainPathCheck(const PathCheck& check, const std::string& checked);

}  // namespace vareko::platform

// The service side of the token file: a fresh random token for each start,
// written with mode 0600 through a temporary file and a rename, so a reader
// never sees half a file and nobody else can read it. One file per platform
// implements it: POSIX (mode 0600, flock), Windows (the file inherits the
// private access list of the user's local application data folder, and the
// lock is the lock file held open without sharing).
#pragma once

#include <cstdint>
#include <string>

#include "tools/display-service/protocol/token_file.h"

namespace vareko::displayservice {

// Draws a token from the kernel's random source; empty string or the reason.
std::string NewToken(std::string& token);

// Takes the lock that makes a token file one service's own: an exclusive
// flock on "<path>.lock", held through `lockFd` for the service's life. While
// a running service holds it another one refuses the same token file (it
// would overwrite the port and token that clients read, and remove the file
// when it stops). The kernel drops the lock when its holder ends, so a
// crashed service blocks nobody; the empty lock file stays. Empty string or
// the reason. (On Windows `lockFd` holds the lock file's handle: kernel
// handles have 32 significant bits.)
std::string LockTokenFile(const std::string& path, int& lockFd);
// Gives the lock up.
void ReleaseTokenLock(int lockFd);

// Writes `file` to `path` (mode 0600); empty string or the reason. The
// caller holds the file's lock.
std::string WriteTokenFile(const std::string& path, const TokenFile& file);

// Writes `text` to `path` the same way (mode 0600, atomically, never through
// a planted link); empty string or the reason.
std::string WritePrivateFile(const std::string& path, const std::string& text);

}  // namespace vareko::displayservice

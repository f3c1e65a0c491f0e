// A client's check of who answers on the service's socket, made before it
// sends anything: the socket's directory must be a real directory owned by
// the caller's user with no access for group or others, and the process
// listening on the socket (SO_PEERCRED) must run as the caller's user. Any
// other local user could otherwise create the directory first, listen there
// and receive the caller's frames. POSIX only.
#pragma once

#include <string>

namespace vareko::displayservice {

enum class ServiceCheck {
    kOk,
    kNoService,           // nobody listens (or the path is unusable)
    kDirectoryMissing,    // the socket's directory does not exist
    kNotADirectory,       // a symbolic link or another kind of file
    kDirectoryForeign,    // owned by another user
    kDirectoryOpen,       // group or others have access
    kPeerUnknown,         // the kernel did not name the listening process
    kPeerForeign,         // the listening process runs as another user
};

struct ServiceConnection {
    int fd = -1;  // connected, non-blocking, close-on-exec; -1 unless kOk
    ServiceCheck check = ServiceCheck::kNoService;
    std::string detail;  // one sentence for the user; empty for kOk
};

// Checks the directory, connects, checks the peer. Nothing is sent.
ServiceConnection ConnectToOwnService(const std::string& socketPath);

// True for the results that mean "someone else answers", as opposed to
// "nobody answers".
bool IsUntrusted(ServiceCheck check);

}  // namespace vareko::displayservice

// Where the display service listens and how both ends open their sockets:
// $VAREKO_DISPLAY_SOCKET, else $XDG_RUNTIME_DIR/vareko/display.sock, else
// /tmp/vareko-<uid>/display.sock. The socket is a Unix-domain SOCK_SEQPACKET
// socket, so each message arrives whole or not at all. The service also
// listens on loopback TCP for clients that have no Unix socket. On Windows
// there is no socket path (ResolveSocketPath is empty), the Unix calls
// report that, and only the loopback TCP calls work.
#pragma once

#include <string>
#include <sys/types.h>

namespace vareko::displayservice {

std::string ResolveSocketPath();

// Non-blocking, close-on-exec connect to the service; returns the descriptor
// or -1 with errno set (ENOENT or ECONNREFUSED while no service listens).
int ConnectToService(const std::string& path);

// Creates the socket's directory (mode 0700) if needed and refuses one that
// belongs to another user or is not a directory (a symbolic link included).
// A default location open to group or others is tightened to 0700; any other
// such directory is refused. Returns an empty string or the reason.
std::string PrepareSocketDirectory(const std::string& socketPath, bool isDefaultLocation);

// Binds and listens (non-blocking, close-on-exec). A stale socket file that no
// service answers on is replaced; a live one is an error. Returns the
// descriptor or -1 with `error` set.
int ListenOnSocket(const std::string& path, std::string& error);

// Listens on 127.0.0.1 TCP (non-blocking, close-on-exec); port 0 picks a
// free one. Returns the descriptor and the bound port, or -1 with `error`.
int ListenOnLoopback(int port, int& boundPort, std::string& error);

// Turns off Nagle's delay on a TCP socket: frames and replies are single
// writes that must leave at once.
void SetNoDelay(int fd);

// The peer's user and process id from SO_PEERCRED; false when unreadable.
bool PeerCredentials(int fd, long& uid, long& pid);

// This process's effective user id, as PeerCredentials reports one.
long ThisUserId();

}  // namespace vareko::displayservice

// Socket path rules and socket set-up for the display service and its clients.
#include "tools/display-service/protocol/service_socket.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vareko::displayservice {
namespace {

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::string ResolveSocketPath() {
    if (const char* env = std::getenv("VAREKO_DISPLAY_SOCKET"); env != nullptr && *env != '\0') {
        return env;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/vareko/display.sock";
    }
    return "/tmp/vareko-" + std::to_string(geteuid()) + "/display.sock";
}

int ConnectToService(const std::string& path) {
    sockaddr_un address;
    if (!FillAddress(path, address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

std::string PrepareSocketDirectory(const std::string& socketPath, bool isDefaultLocation) {
    const std::string dir = ParentOf(socketPath);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot create " + dir + ": " + std::strerror(errno);
    }
    struct stat info;
    if (lstat(dir.c_str(), &info) != 0) return "cannot inspect " + dir + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return dir + " is not a directory";
    if (info.st_uid != geteuid()) return dir + " belongs to another user";
    if ((info.st_mode & 077) == 0) return {};
    // Clients refuse a socket whose directory others can enter, so a service
    // there would never be reached: say so now.
    if (!isDefaultLocation) {
        return dir + " is open to group or others; the display service needs a directory of mode 0700";
    }
    if (chmod(dir.c_str(), 0700) != 0) return "cannot set mode 0700 on " + dir + ": " + std::strerror(errno);
    return {};
}

int ListenOnSocket(const std::string& path, std::string& error) {
    sockaddr_un address;
    if (!FillAddress(path, address)) {
        error = "socket path is empty or too long: " + path;
        return -1;
    }
    const int probe = ConnectToService(path);
    if (probe >= 0) {
        close(probe);
        error = "another display service is already listening on " + path;
        return -1;
    }
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = path + " exists and is not a socket";
            return -1;
        }
        unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    // The directory is 0700 already; the socket itself is also kept private.
    const mode_t old = umask(0077);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    umask(old);
    if (bound != 0 || listen(fd, 16) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

int ListenOnLoopback(int port, int& boundPort, std::string& error) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return fd;
}

void SetNoDelay(int fd) {
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool PeerCredentials(int fd, long& uid, long& pid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    uid = static_cast<long>(credentials.uid);
    pid = static_cast<long>(credentials.pid);
    return true;
}

long ThisUserId() { return static_cast<long>(geteuid()); }

}  // namespace vareko::displayservice

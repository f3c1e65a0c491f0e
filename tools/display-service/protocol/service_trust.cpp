// Who answers on the service's socket: directory and peer checks.
#include "tools/display-service/protocol/service_trust.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/display-service/protocol/service_socket.h"

namespace vareko::displayservice {
namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

ServiceConnection Refused(ServiceCheck check, std::string detail) {
    return ServiceConnection{-1, check, std::move(detail)};
}

ServiceConnection CheckDirectory(const std::string& dir) {
    struct stat info;
    // lstat: a symbolic link is refused, not followed.
    if (lstat(dir.c_str(), &info) != 0) {
        return Refused(errno == ENOENT ? ServiceCheck::kDirectoryMissing : ServiceCheck::kNoService,
                       "no display service: cannot inspect " + dir + " (" + std::strerror(errno) + ")");
    }
    if (!S_ISDIR(info.st_mode)) {
        return Refused(ServiceCheck::kNotADirectory,
                       "refusing the display service socket in " + dir + ": it is not a directory");
    }
    if (info.st_uid != geteuid()) {
        return Refused(ServiceCheck::kDirectoryForeign, "refusing the display service socket in " + dir +
                                                            ": the directory belongs to uid " +
                                                            std::to_string(info.st_uid) + ", not to you (uid " +
                                                            std::to_string(geteuid()) + ")");
    }
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return Refused(ServiceCheck::kDirectoryOpen, "refusing the display service socket in " + dir +
                                                         ": group or others have access (mode " + mode +
                                                         "; it must be 0700)");
    }
    return ServiceConnection{-1, ServiceCheck::kOk, {}};
}

}  // namespace

ServiceConnection ConnectToOwnService(const std::string& socketPath) {
    const std::string dir = DirectoryOf(socketPath);
    if (ServiceConnection checked = CheckDirectory(dir); checked.check != ServiceCheck::kOk) return checked;
    const int fd = ConnectToService(socketPath);
    if (fd < 0) {
        return Refused(ServiceCheck::kNoService,
                       "no display service at " + socketPath + " (" + std::strerror(errno) + ")");
    }
    long uid = -1;
    long pid = 0;
    if (!PeerCredentials(fd, uid, pid)) {
        close(fd);
        return Refused(ServiceCheck::kPeerUnknown,
                       "refusing the display service at " + socketPath + ": the kernel does not name its process");
    }
    if (uid != static_cast<long>(geteuid())) {
        close(fd);
        return Refused(ServiceCheck::kPeerForeign, "refusing the display service at " + socketPath +
                                                       ": it runs as uid " + std::to_string(uid) + " (pid " +
                                                       std::to_string(pid) + "), not as you (uid " +
                                                       std::to_string(geteuid()) + ")");
    }
    return ServiceConnection{fd, ServiceCheck::kOk, {}};
}

bool IsUntrusted(ServiceCheck check) {
    switch (check) {
        case ServiceCheck::kOk:
        case ServiceCheck::kNoService:
        case ServiceCheck::kDirectoryMissing: return false;
        case ServiceCheck::kNotADirectory:
        case ServiceCheck::kDirectoryForeign:
        case ServiceCheck::kDirectoryOpen:
        case ServiceCheck::kPeerUnknown:
        case ServiceCheck::kPeerForeign: return true;
    }
    return true;
}

}  // namespace vareko::displayservice

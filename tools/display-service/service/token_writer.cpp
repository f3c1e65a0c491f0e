// Token generation and the private, atomic write of the token file, on POSIX.
#include "tools/display-service/service/token_writer.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

namespace vareko::displayservice {

std::string NewToken(std::string& token) {
    std::array<std::uint8_t, kTokenRandomBytes> random{};
    std::size_t filled = 0;
    while (filled < random.size()) {
        const ssize_t n = getrandom(random.data() + filled, random.size() - filled, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::string("getrandom: ") + std::strerror(errno);
        filled += static_cast<std::size_t>(n);
    }
    token = TokenText(random);
    return {};
}

std::string LockTokenFile(const std::string& path, int& lockFd) {
    const std::string lockPath = path + ".lock";
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return "cannot open " + lockPath + ": " + std::strerror(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        close(fd);
        if (lockError == EWOULDBLOCK) {
            return "token file " + path + " belongs to another running display service; give this one "
                   "its own with --token-file or $VAREKO_DISPLAY_TOKEN";
        }
        return "cannot lock " + lockPath + ": " + std::strerror(lockError);
    }
    lockFd = fd;
    return {};
}

void ReleaseTokenLock(int lockFd) { close(lockFd); }

std::string WriteTokenFile(const std::string& path, const TokenFile& file) {
    return WritePrivateFile(path, FormatTokenFile(file));
}

std::string WritePrivateFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    unlink(temporary.c_str());
    // O_EXCL and O_NOFOLLOW: never write through a link someone planted.
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return "cannot create " + temporary + ": " + std::strerror(errno);
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int writeError = errno;
    close(fd);
    if (!written) {
        unlink(temporary.c_str());
        return "cannot write " + temporary + ": " + std::strerror(writeError);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        return "cannot replace " + path + ": " + std::strerror(renameError);
    }
    return {};
}

}  // namespace vareko::displayservice

// The private file read on POSIX: a regular file of this user's with no
// access for group or others, opened without following a link.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/display-service/service/viewer_secret_file.h"

namespace vareko::displayservice {

bool ReadOwnPrivateFile(const std::string& path, std::size_t maxBytes, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool ours = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
                      (info.st_mode & 077) == 0;
    text.resize(maxBytes);
    const ssize_t n = ours ? read(fd, text.data(), maxBytes) : -1;
    close(fd);
    if (n < 0) return false;
    text.resize(static_cast<std::size_t>(n));
    return true;
}

}  // namespace vareko::displayservice

// Acting as another local user in tests: a uid that no account uses, and a
// child process that runs a function as that user. Needs root; tests skip
// with a message otherwise.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vareko::displayservice::testing {

// The first uid from `from` on that no account uses.
inline uid_t UnusedUid(uid_t from) {
    uid_t uid = from;
    while (getpwuid(uid) != nullptr) ++uid;
    return uid;
}

// Runs `body` in a child process as `uid` (group `uid` too); returns what
// `body` returned, or -1 when the child could not become that user or died.
inline int RunAs(uid_t uid, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) _exit(255);
        _exit(body() & 0xFF);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

}  // namespace vareko::displayservice::testing

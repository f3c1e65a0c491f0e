// The second user on useradd/userdel and fork with setuid.
#include "testing/support/second_user.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace vareko::testing {
namespace {

bool Lookup(const std::string& name, uid_t& uid, gid_t& gid) {
    const passwd* entry = getpwnam(name.c_str());
    if (entry == nullptr) return false;
    uid = entry->pw_uid;
    gid = entry->pw_gid;
    return true;
}

}  // namespace

SecondUser::SecondUser(const char* nameIn) : name(nameIn) {
    if (geteuid() != 0) {
        reason = "needs root to create and act as a second user";
        return;
    }
    if (!Lookup(name, uid, gid)) {
        const std::string add = "useradd --system --no-create-home --shell /usr/sbin/nologin " + name +
                                " >/dev/null 2>&1";
        // useradd refuses while another process holds the password file's lock.
        for (int attempt = 0; attempt < 5 && !created; ++attempt) {
            created = std::system(add.c_str()) == 0;
            if (!created) usleep(200'000);
        }
        if (!Lookup(name, uid, gid)) {
            reason = "useradd could not create the user " + name;
            return;
        }
    }
    ready = true;
}

SecondUser::~SecondUser() {
    if (created) {
        const std::string remove = "userdel " + name + " >/dev/null 2>&1";
        static_cast<void>(std::system(remove.c_str()));
    }
}

int SecondUser::RunAs(const std::function<int()>& action) const {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(255);
        _exit(action() & 0x7F);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace vareko::testing

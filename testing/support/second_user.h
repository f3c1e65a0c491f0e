// Test support: a second local user for tests that play another user against
// the caller. Made with useradd when missing (and then removed again), reused
// when it already exists. Needs root; tests skip when Ready() is false.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace vareko::testing {

class SecondUser {
public:
    // `name` should be unique to the test suite that uses it.
    explicit SecondUser(const char* name);
    ~SecondUser();
    SecondUser(const SecondUser&) = delete;
    SecondUser& operator=(const SecondUser&) = delete;

    // Whether the user exists and the caller can act as it.
    bool Ready() const { return ready; }
    // Why not, for the skip message.
    const std::string& Reason() const { return reason; }
    uid_t Uid() const { return uid; }

    // Runs `action` in a child process as this user (its uid and gid, no
    // supplementary groups) and returns its result, or -1 when the child
    // could not become the user.
    int RunAs(const std::function<int()>& action) const;

private:
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    bool ready = false;
    bool created = false;
    std::string reason;
};

}  // namespace vareko::testing

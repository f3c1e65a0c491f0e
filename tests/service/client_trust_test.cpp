// The library and the command-line tools check who answers before they send
// anything: a socket directory that is not the caller's own and private, or a
// listener of another user, is "device not connected" for the program and a
// clear message on the command line, and the impostor receives nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstdio>
#include <filesystem>

#include "tests/service/other_user.h"
#include "tests/service/service_harness.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/library/link_client.h"

namespace vareko::displayservice::testing {
namespace {

using ::testing::HasSubstr;

// The default socket location, no viewer, no TCP.
ServiceOptions LocalOnly() {
    ServiceOptions options;
    options.httpPort = kHttpDisabled;
    options.tcpPort = kTcpDisabled;
    return options;
}

link::LinkResult LibraryConnect() {
    LinkClient client;
    client.Init();
    link::ConnectionRecord record{};
    return client.Connect(&record);
}

// `vareko-display status`: exit status and what it printed on stderr.
struct ToolRun {
    int exitStatus = -1;
    std::string stderrText;
};

ToolRun RunStatusTool() {
    ToolRun run;
    const std::string command = std::string(VAREKO_DISPLAY_TOOL_PATH) + " status 2>&1 >/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) run.stderrText += buffer;
    const int status = pclose(out);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ClientTrust, ASocketDirectoryOpenToOthersOrALinkIsRefused) {
    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath()};
    ASSERT_EQ(service.Start(), "");
    ASSERT_EQ(LibraryConnect(), link::kLinkOk);
    const std::string link = dir.Dir() + ".link";
    ASSERT_EQ(symlink(dir.Dir().c_str(), link.c_str()), 0);
    const struct {
        const char* what;
        mode_t mode;
        std::string socketPath;
        const char* message;
    } cases[] = {
        {"group may enter", 0750, dir.SocketPath(), "group or others have access (mode 0750"},
        {"others may enter", 0701, dir.SocketPath(), "group or others have access (mode 0701"},
        {"a symbolic link to the directory", 0700, link + "/display.sock", "is not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(chmod(dir.Dir().c_str(), c.mode), 0);
        setenv("VAREKO_DISPLAY_SOCKET", c.socketPath.c_str(), 1);
        EXPECT_EQ(LibraryConnect(), link::kLinkDeviceNotConnected);
        ControlClient control;
        EXPECT_THAT(control.Connect(c.socketPath, 1000), HasSubstr(c.message));
        const ToolRun run = RunStatusTool();
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_THAT(run.stderrText, HasSubstr(c.message));
    }
    unlink(link.c_str());
    chmod(dir.Dir().c_str(), 0700);
    setenv("VAREKO_DISPLAY_SOCKET", dir.SocketPath().c_str(), 1);
    EXPECT_EQ(LibraryConnect(), link::kLinkOk);
}

TEST(ClientTrust, TheServiceRefusesAnExplicitSocketDirectoryOpenToOthers) {
    TempSocketDir dir;
    ASSERT_EQ(chmod(dir.Dir().c_str(), 0755), 0);
    ServiceRunner service{dir.SocketPath()};
    EXPECT_THAT(service.Start(), HasSubstr("needs a directory of mode 0700"));
}

// Another user's listener: a child process that listens on `socketPath`
// (creating its directory with mode 0777 first) and counts the bytes that
// reach it until Finish.
class ImpostorListener {
public:
    ImpostorListener(uid_t uid, const std::string& dir, const std::string& socketPath) {
        if (pipe(ready_) != 0 || pipe(stop_) != 0 || pipe(report_) != 0) return;
        child_ = fork();
        if (child_ == 0) _exit(Serve(uid, dir, socketPath));
        close(ready_[1]);
        close(stop_[0]);
        close(report_[1]);
    }
    ~ImpostorListener() { Finish(); }

    bool Listening() {
        pollfd p{ready_[0], POLLIN, 0};
        char c = 0;
        return poll(&p, 1, 5000) > 0 && read(ready_[0], &c, 1) == 1 && c == 'L';
    }
    // Stops the listener; the bytes it received, or -1.
    long Finish() {
        if (child_ <= 0) return total_;
        close(stop_[1]);
        long total = -1;
        if (read(report_[0], &total, sizeof total) != sizeof total) total = -1;
        waitpid(child_, nullptr, 0);
        child_ = 0;
        close(ready_[0]);
        close(report_[0]);
        total_ = total;
        return total_;
    }

private:
    int Serve(uid_t uid, const std::string& dir, const std::string& socketPath) {
        close(ready_[0]);
        close(stop_[1]);
        close(report_[0]);
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) return 1;
        mkdir(dir.c_str(), 0777);
        chmod(dir.c_str(), 0777);
        const int listener = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0) {
            return 2;
        }
        chmod(socketPath.c_str(), 0777);
        if (write(ready_[1], "L", 1) != 1) return 3;
        std::vector<pollfd> fds = {{stop_[0], POLLIN, 0}, {listener, POLLIN, 0}};
        long total = 0;
        for (;;) {
            poll(fds.data(), fds.size(), 1000);
            if (fds[0].revents != 0) break;
            if ((fds[1].revents & POLLIN) != 0) fds.push_back({accept(listener, nullptr, nullptr), POLLIN, 0});
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if ((fds[i].revents & POLLIN) == 0) continue;
                char buffer[8192];
                const ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0) total += n;
                if (n == 0) fds[i].events = 0;
            }
        }
        return write(report_[1], &total, sizeof total) == sizeof total ? 0 : 4;
    }

    pid_t child_ = -1;
    int ready_[2] = {-1, -1};
    int stop_[2] = {-1, -1};
    int report_[2] = {-1, -1};
    long total_ = -1;
};

class ClientTrustAcrossUsers : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
        // Per process, so that tests running side by side use different
        // /tmp/vareko-<uid> directories.
        victim = UnusedUid(static_cast<uid_t>(60000 + 2 * (getpid() % 2000)));
        attacker = UnusedUid(victim + 1);
        squatted = "/tmp/vareko-" + std::to_string(victim);
        std::filesystem::remove_all(squatted);
    }
    void TearDown() override {
        if (!squatted.empty()) std::filesystem::remove_all(squatted);
    }
    // Runs `body` as the victim, with the default socket location.
    int AsVictim(const std::function<int()>& body) {
        return RunAs(victim, [&] {
            unsetenv("VAREKO_DISPLAY_SOCKET");
            unsetenv("XDG_RUNTIME_DIR");
            unsetenv(kTokenFileVariable);
            return body();
        });
    }

    // The victim's library gets "device not connected" and its status
    // command fails with a message that holds `reason`.
    void ExpectVictimRefused(const std::string& reason) {
        EXPECT_EQ(AsVictim([] { return LibraryConnect() == link::kLinkDeviceNotConnected ? 0 : 1; }), 0);
        EXPECT_EQ(AsVictim([&] {
                      const ToolRun run = RunStatusTool();
                      return run.exitStatus == 1 && run.stderrText.find(reason) != std::string::npos ? 0 : 1;
                  }),
                  0)
            << "expected a status failure naming: " << reason;
    }

    uid_t victim = 0;
    uid_t attacker = 0;
    std::string squatted;
};

TEST_F(ClientTrustAcrossUsers, ASquattedTmpDirectoryGetsNothingFromTheVictim) {
    ImpostorListener impostor(attacker, squatted, squatted + "/display.sock");
    ASSERT_TRUE(impostor.Listening());
    ExpectVictimRefused("belongs to uid " + std::to_string(attacker));
    // The victim's service refuses the directory too, and says why.
    EXPECT_EQ(AsVictim([] {
                  DisplayService service(LocalOnly());
                  return service.Start().find("belongs to another user") != std::string::npos ? 0 : 1;
              }),
              0);
    EXPECT_EQ(impostor.Finish(), 0) << "the impostor received bytes";
}

TEST_F(ClientTrustAcrossUsers, AListenerOfAnotherUserInAPrivateDirectoryIsRefused) {
    // The directory is the victim's and private; only the listener is not.
    const std::string impostorDir = squatted + "-impostor";
    std::filesystem::remove_all(impostorDir);
    ImpostorListener impostor(attacker, impostorDir, impostorDir + "/display.sock");
    ASSERT_TRUE(impostor.Listening());
    ASSERT_EQ(mkdir(squatted.c_str(), 0700), 0);
    ASSERT_EQ(chown(squatted.c_str(), victim, victim), 0);
    ASSERT_EQ(rename((impostorDir + "/display.sock").c_str(), (squatted + "/display.sock").c_str()), 0);
    ExpectVictimRefused("runs as uid " + std::to_string(attacker));
    EXPECT_EQ(impostor.Finish(), 0) << "the impostor received bytes";
    std::filesystem::remove_all(impostorDir);
}

TEST_F(ClientTrustAcrossUsers, TheVictimsOwnTmpDirectoryStillWorks) {
    EXPECT_EQ(AsVictim([] {
                  DisplayService service(LocalOnly());
                  if (!service.Start().empty()) return 1;
                  std::thread loop([&] { service.Run(); });
                  const bool connected = LibraryConnect() == link::kLinkOk;
                  struct stat info{};
                  const bool privateDir = lstat(("/tmp/vareko-" + std::to_string(geteuid())).c_str(), &info) == 0 &&
                                          (info.st_mode & 0777) == 0700 && info.st_uid == geteuid();
                  service.RequestStop();
                  loop.join();
                  return connected && privateDir ? 0 : 1;
              }),
              0);
}

}  // namespace
}  // namespace vareko::displayservice::testing

// Pieces for measuring the service under a connection flood: the real
// vareko-display serve as a child process under a chosen descriptor limit,
// another user's process holding many idle TCP connections to a port, and
// the CPU time a process has used. Linux only; the flood needs root.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vareko::displayservice::testing {

// User plus system CPU time of process `pid` so far, in seconds; -1 if gone.
inline double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');  // the command name may hold spaces
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// `tool` with `arguments`, started under the descriptor limit (RLIMIT_NOFILE)
// `descriptors`; its standard error goes to `stderrPath`. Stopped with
// SIGTERM when this object goes.
class ChildProcess {
public:
    ChildProcess(const std::string& tool, std::vector<std::string> arguments, rlimit descriptors,
                 const std::string& stderrPath) {
        pid_ = fork();
        if (pid_ != 0) return;
        setrlimit(RLIMIT_NOFILE, &descriptors);
        const int devNull = open("/dev/null", O_WRONLY);
        const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(devNull, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        // Nothing else of this process (nor of whatever started the test)
        // may count against the child's descriptor limit.
        close_range(3, ~0U, 0);
        std::vector<char*> argv{const_cast<char*>(tool.c_str())};
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    ~ChildProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// Another user (`uid`) opening `count` TCP connections to 127.0.0.1:`port`
// and holding them without sending a byte, until this object goes.
class IdleTcpFlood {
public:
    IdleTcpFlood(uid_t uid, int port, int count) {
        if (pipe(ready_) != 0 || pipe(stop_) != 0) return;
        pid_ = fork();
        if (pid_ == 0) _exit(Hold(uid, port, count));
        close(ready_[1]);
        close(stop_[0]);
    }
    ~IdleTcpFlood() {
        if (pid_ <= 0) return;
        close(stop_[1]);
        waitpid(pid_, nullptr, 0);
        close(ready_[0]);
    }
    IdleTcpFlood(const IdleTcpFlood&) = delete;
    IdleTcpFlood& operator=(const IdleTcpFlood&) = delete;

    // How many connects were started, once all were; -1 on failure.
    int Started() {
        pollfd p{ready_[0], POLLIN, 0};
        int started = -1;
        if (poll(&p, 1, 20000) <= 0 || read(ready_[0], &started, sizeof started) != sizeof started) return -1;
        return started;
    }

private:
    int Hold(uid_t uid, int port, int count) {
        close(ready_[0]);
        close(stop_[1]);
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) return 1;
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int started = 0;
        for (int i = 0; i < count; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (fd < 0) break;
            const int r = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            if (r == 0 || errno == EINPROGRESS) ++started;
        }
        if (write(ready_[1], &started, sizeof started) != sizeof started) return 2;
        char c;
        while (read(stop_[0], &c, 1) > 0) {
        }
        return 0;
    }

    pid_t pid_ = -1;
    int ready_[2] = {-1, -1};
    int stop_[2] = {-1, -1};
};

}  // namespace vareko::displayservice::testing

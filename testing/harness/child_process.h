// Child processes of the tools and of the tests that run whole programs:
// started with posix_spawn (output to a log file, the environment
// inherited), watched without blocking, stopped by a signal to their own pid
// only. POSIX.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vareko::harness {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program at the path `argv[0]`; its output is appended to `logFile`.
    bool Start(const std::vector<std::string>& argv, const std::filesystem::path& logFile);
    pid_t Pid() const { return pid; }
    // False once the process has ended; `Ending()` then says how.
    bool Running();
    std::string Ending() const { return ending; }
    // Sends `signal`, waits for the end (SIGKILL after 3 s).
    void Stop(int signal);

private:
    pid_t pid = -1;
    std::string ending;
};

// Runs a command to its end (at most `timeoutMs`); its exit status, or -1.
int RunCommand(const std::vector<std::string>& argv, const std::filesystem::path& logFile, int timeoutMs);

}  // namespace vareko::harness

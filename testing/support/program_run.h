// Test support: a program (vareko, its tools) run as a child process with
// its own arguments, environment and working directory, standard output and
// standard error captured apart, so tests can check each message and the
// exit status.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vareko::testing {

class ProgramRun {
public:
    // Starts `path` with `arguments` (argv[1...]) and the test's environment
    // changed by `environment` ("NAME=value" entries replace or add), in
    // `workingDirectory` unless that is empty.
    ProgramRun(const char* path, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {}, const std::string& workingDirectory = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return pid > 0; }
    pid_t Pid() const { return pid; }

    // The exit status once the program ended by itself within `timeout`;
    // nothing when it is still running or was ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // Reads standard error until it holds `count` complete lines or
    // `timeout` passes; returns what it holds.
    const std::string& WaitForErrorLines(std::size_t count, std::chrono::milliseconds timeout);
    // Ends the program with SIGTERM if it is still running.
    void Terminate();

    // Everything written so far (all of it once the program ended).
    const std::string& Output();
    const std::string& Errors();

private:
    void Drain(std::chrono::milliseconds wait);

    pid_t pid = -1;
    bool reaped = false;
    int exitStatus = -1;
    int outputFd = -1;
    int errorFd = -1;
    std::string output;
    std::string errors;
};

}  // namespace vareko::testing

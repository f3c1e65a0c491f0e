// The program under test on posix_spawn, its two streams read through
// non-blocking pipes with poll.
#include "testing/support/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

extern char** environ;

namespace vareko::testing {
namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> merged;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string current = *entry;
        const bool replaced = std::any_of(changes.begin(), changes.end(), [&](const std::string& c) {
            return nameOf(c) == nameOf(current);
        });
        if (!replaced) merged.push_back(current);
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramRun::ProgramRun(const char* path, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::string& workingDirectory) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (!workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    }
    std::vector<std::string> argvStrings{path};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = MergedEnvironment(environment);
    std::vector<char*> argv = Pointers(argvStrings);
    std::vector<char*> envp = Pointers(envStrings);
    if (posix_spawn(&pid, path, &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    outputFd = out[0];
    errorFd = err[0];
    fcntl(outputFd, F_SETFL, O_NONBLOCK);
    fcntl(errorFd, F_SETFL, O_NONBLOCK);
}

ProgramRun::~ProgramRun() {
    Terminate();
    if (outputFd >= 0) close(outputFd);
    if (errorFd >= 0) close(errorFd);
}

void ProgramRun::Drain(std::chrono::milliseconds wait) {
    pollfd fds[] = {{outputFd, POLLIN, 0}, {errorFd, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(wait.count())) <= 0) return;
    std::string* sinks[] = {&output, &errors};
    for (int i = 0; i < 2; ++i) {
        char chunk[4096];
        ssize_t n = 0;
        while ((n = read(fds[i].fd, chunk, sizeof chunk)) > 0) {
            sinks[i]->append(chunk, static_cast<std::size_t>(n));
        }
    }
}

std::optional<int> ProgramRun::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid > 0 && !reaped) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            reaped = true;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        Drain(std::chrono::milliseconds(10));
    }
    Drain(std::chrono::milliseconds(0));
    if (!reaped || exitStatus < 0) return std::nullopt;
    return exitStatus;
}

const std::string& ProgramRun::WaitForErrorLines(std::size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (static_cast<std::size_t>(std::count(errors.begin(), errors.end(), '\n')) < count &&
           std::chrono::steady_clock::now() < deadline) {
        Drain(std::chrono::milliseconds(10));
    }
    return errors;
}

void ProgramRun::Terminate() {
    if (pid <= 0 || reaped) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    reaped = true;
    Drain(std::chrono::milliseconds(0));
}

const std::string& ProgramRun::Output() {
    Drain(std::chrono::milliseconds(0));
    return output;
}

const std::string& ProgramRun::Errors() {
    Drain(std::chrono::milliseconds(0));
    return errors;
}

}  // namespace vareko::testing

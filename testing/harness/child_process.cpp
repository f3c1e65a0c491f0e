// Spawning, polling and stopping children.
#include "testing/harness/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace vareko::harness {
namespace {

std::string DescribeStatus(int status) {
    if (WIFSIGNALED(status)) return std::string("killed by signal ") + strsignal(WTERMSIG(status));
    return "exited with status " + std::to_string(WEXITSTATUS(status));
}

// The status once `pid` has ended within `timeoutMs`, else -1.
int WaitEnded(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return status;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::filesystem::path& logFile) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(SIGKILL); }

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::filesystem::path& logFile) {
    pid = Spawn(argv, logFile);
    ending.clear();
    return pid > 0;
}

bool ChildProcess::Running() {
    if (pid < 0) return false;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) return true;
    ending = DescribeStatus(status);
    pid = -1;
    return false;
}

void ChildProcess::Stop(int signal) {
    if (pid < 0) return;
    kill(pid, signal);
    int status = WaitEnded(pid, 3000);
    if (status < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    ending = DescribeStatus(status);
    pid = -1;
}

int RunCommand(const std::vector<std::string>& argv, const std::filesystem::path& logFile, int timeoutMs) {
    const pid_t pid = Spawn(argv, logFile);
    if (pid < 0) return -1;
    const int status = WaitEnded(pid, timeoutMs);
    if (status < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vareko::harness

// The fixed telemetry port 6060: the receiver's default Open, and the
// `vareko` program, which binds it, prints its one start line and nothing
// more, and keeps running whatever it is sent. These tests share the port and are serialised by a CTest lock;
// they skip when some other process on the machine holds the port.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/telemetry_parser.h"
#include "app/telemetry_receiver.h"
#include "testing/support/telemetry_text.h"
#include "tests/app/udp_port_probe.h"
#include "testing/harness/eventually.h"

extern char** environ;

namespace vareko {
namespace {

using namespace std::chrono_literals;
using testing::DatagramText;
using testing::DescribeDifferences;
using testing::FindUdpSocket;
using testing::PreviousSample;
using testing::WellFormedFields;

class TelemetryPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindUdpSocket(kTelemetryPort)) {
            GTEST_SKIP() << "UDP port " << kTelemetryPort << " is held by another process";
        }
        sender = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_NE(sender, INVALID_SOCKET);
    }
    void TearDown() override {
        if (sender != INVALID_SOCKET) {
            closesocket(sender);
        }
    }

    void Send(const std::string& payload) {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(kTelemetryPort);
        target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(sendto(sender, payload.data(), payload.size(), 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof(target)),
                  static_cast<ssize_t>(payload.size()));
    }

    SOCKET sender = INVALID_SOCKET;
};

TEST_F(TelemetryPortTest, OpenBindsTheTelemetryPortOnEveryAddress) {
    TelemetryReceiver receiver;
    ASSERT_TRUE(receiver.Open().Opened());
    const auto bound = FindUdpSocket(kTelemetryPort);
    ASSERT_TRUE(bound) << "nothing bound to the telemetry port";
    EXPECT_EQ(bound->localAddress, 0U) << "bound to one address only";
    const std::string text = DatagramText(WellFormedFields());
    Send(text);
    TelemetrySample sample = PreviousSample();
    receiver.ReceiveInto(sample);
    TelemetrySample expected = PreviousSample();
    ParseTelemetry(text.c_str(), expected);
    EXPECT_EQ(DescribeDifferences(sample, expected), "");
}

// The program under test, its output captured through a pipe.
class ProgramProcess {
public:
    bool Start(const char* path) {
        int output[2];
        if (pipe(output) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        char* argv[] = {const_cast<char*>(path), nullptr};
        const bool started = posix_spawn(&pid, path, &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        outputFd = output[0];
        return started;
    }

    bool Running() {
        int status = 0;
        return pid > 0 && waitpid(pid, &status, WNOHANG) == 0;
    }

    // Ends the process from outside; true if it was still running until then.
    bool Terminate() {
        if (pid <= 0) {
            return false;
        }
        kill(pid, SIGTERM);
        int status = 0;
        const bool ended = waitpid(pid, &status, 0) == pid;
        pid = -1;
        return ended && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
    }

    // Everything the process wrote; call after it ended.
    std::string Output() {
        std::string text;
        char chunk[256];
        ssize_t n = 0;
        while ((n = read(outputFd, chunk, sizeof(chunk))) > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        }
        return text;
    }

    pid_t Pid() const { return pid; }

    ~ProgramProcess() {
        Terminate();
        if (outputFd >= 0) {
            close(outputFd);
        }
    }

private:
    pid_t pid = -1;
    int outputFd = -1;
};

TEST_F(TelemetryPortTest, ProgramKeepsRunningQuietlyUnderBadInput) {
    ProgramProcess program;
    ASSERT_TRUE(program.Start(VAREKO_PROGRAM_PATH));
    testing::UdpSocketState bound;
    ASSERT_TRUE(harness::Eventually(
        [&] {
            const auto state = FindUdpSocket(kTelemetryPort);
            if (state && testing::ProcessHoldsSocket(program.Pid(), state->inode)) {
                bound = *state;
                return true;
            }
            return false;
        },
        20s))
        << "vareko did not bind UDP port " << kTelemetryPort;

    std::vector<std::string> overlong = WellFormedFields();
    overlong[38] = std::string(500, 'M');
    overlong[40] = std::string(900, 'A');
    std::string huge = DatagramText(WellFormedFields());
    huge.append(65000 - huge.size(), 'x');
    const std::vector<std::string> badInput = {
        "",
        "garbage",
        "src=export.lua;",
        std::string("src=export.lua;asl=\0\0\0", 22),
        "src=export.lua;asl=1e999999;agl=-1e-99999;mbr=0x1p99999;vvi=nan(123);aoa=-inf",
        "src=export.lua;asl=-;agl=+;mbr=.;vvi=0x;aoa=1e+;bal=1,5",
        DatagramText(overlong).substr(0, 1515),
        std::string(1515, ';'),
        std::string(1516, 'y'),
        huge,
        std::string(400, '\xFF'),
    };
    for (int round = 0; round < 3; ++round) {
        for (const std::string& datagram : badInput) {
            Send(datagram);
        }
    }
    // The loop reads one datagram after parsing the previous one: once the
    // final good datagram has been taken from the queue, every bad one before
    // it has been parsed.
    Send(DatagramText(WellFormedFields()));
    EXPECT_TRUE(harness::Eventually(
        [&] {
            const auto state = FindUdpSocket(kTelemetryPort);
            return state && state->inode == bound.inode && state->queuedBytes == 0;
        },
        20s))
        << "vareko stopped receiving";
    EXPECT_TRUE(program.Running()) << "vareko ended on its own";
    EXPECT_TRUE(program.Terminate());
    const std::string output = program.Output();
    EXPECT_EQ(output.rfind("vareko: listening for telemetry on UDP port 6060", 0), 0u) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
}

}  // namespace
}  // namespace vareko

// What the `vareko` program says when it starts, through the real binary:
// one line on standard error naming the port and what became of the display
// library (loaded, none registered, or why not, said once however many
// turns follow), nothing on standard output; and status 1 with the reason
// when the telemetry port is already taken.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/telemetry_sample.h"
#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "testing/support/program_run.h"
#include "tests/app/udp_port_probe.h"
#include "testing/support/temp_dir.h"

namespace vareko {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ProgramRun;
using testing::TempDir;

constexpr const char* kListening = "vareko: listening for telemetry on UDP port 6060 (every local address); ";
constexpr const char* kShownNothing = "; nothing is shown until vareko is started again\n";

class ProgramStartTest : public ::testing::Test {
public:
    void SetUp() override {
        if (testing::FindUdpSocket(kTelemetryPort)) {
            GTEST_SKIP() << "UDP port " << kTelemetryPort << " is held by another process";
        }
        chmod(registry.Path().c_str(), 0755);
    }

    // Records `path` as the library in the test's registry root.
    void Register(const std::string& path) {
        testing::ScopedEnv root("VAREKO_REGISTRY_ROOT", registry.Path().c_str());
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                 static_cast<DWORD>(path.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::vector<std::string> Environment() const {
        return {"VAREKO_REGISTRY_ROOT=" + registry.Path().string()};
    }
    void SendDatagram() {
        const SOCKET sender = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(kTelemetryPort);
        target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const char datagram[] = "src=export.lua;ias=100;tki=500";
        sendto(sender, datagram, sizeof datagram - 1, 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target);
        closesocket(sender);
    }

    TempDir registry;
};

TEST_F(ProgramStartTest, OneLineSaysWhatItListensOnAndWhatBecameOfTheLibrary) {
    struct Case {
        const char* name;
        std::function<void(ProgramStartTest&)> arrange;
        std::string line;
    };
    const std::string writable = (registry.Path() / "lib" / "x.so").string();
    const Case cases[] = {
        {"nothing registered", [](ProgramStartTest&) {},
         std::string(kListening) +
             "no display library is registered; register one with 'vareko-display register'\n"},
        {"loaded", [](ProgramStartTest& t) { t.Register(VAREKO_LINK_LIBRARY); },
         std::string(kListening) + "display library " + VAREKO_LINK_LIBRARY + " loaded\n"},
        {"missing", [](ProgramStartTest& t) { t.Register("/nonexistent/libx.so"); },
         std::string(kListening) + "display library /nonexistent/libx.so not loaded: /nonexistent does not exist" +
             kShownNothing},
        {"relative path", [](ProgramStartTest& t) { t.Register("libx.so"); },
         std::string(kListening) + "display library libx.so refused: it is not an absolute path" + kShownNothing},
        {"writable by others",
         [&](ProgramStartTest& t) {
             fs::create_directories(fs::path(writable).parent_path());
             chmod(fs::path(writable).parent_path().c_str(), 0755);
             fs::copy_file(VAREKO_LINK_LIBRARY, writable);
             chmod(writable.c_str(), 0666);
             t.Register(writable);
         },
         std::string(kListening) + "display library " + writable +
             " refused: it may be written by group or others, so another user could replace it" + kShownNothing},
        {"no entry point", [](ProgramStartTest& t) { t.Register(VAREKO_NO_EXPORT_LIBRARY); },
         std::string(kListening) + "display library " + VAREKO_NO_EXPORT_LIBRARY +
             " not loaded: it has no GetInterface entry point" + kShownNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(registry.Path() / "HKEY_LOCAL_MACHINE");
        fs::remove_all(registry.Path() / "lib");
        c.arrange(*this);
        ProgramRun program(VAREKO_PROGRAM_PATH, {}, Environment());
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.WaitForErrorLines(1, 20s), c.line);
        // Every turn after the first says nothing more.
        for (int i = 0; i < 5; ++i) {
            SendDatagram();
        }
        EXPECT_FALSE(program.WaitForExit(300ms)) << "vareko ended on its own";
        EXPECT_EQ(program.Errors(), c.line);
        EXPECT_EQ(program.Output(), "");
    }
}

TEST_F(ProgramStartTest, TakenPortIsReportedWithItsLikelyCauseAndStatus1) {
    const SOCKET holder = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(holder, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kTelemetryPort);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    ProgramRun program(VAREKO_PROGRAM_PATH, {}, Environment());
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.WaitForExit(20s), 1);
    EXPECT_EQ(program.Errors(),
              "vareko: cannot listen for telemetry on UDP port 6060: address already in use (error 10048); "
              "another program is already listening on it (a second vareko?); end it, then start vareko "
              "again\n");
    EXPECT_EQ(program.Output(), "");
    closesocket(holder);
}

}  // namespace
}  // namespace vareko

// The vareko-display commands that scripts and tests use, run as a separate
// process against an in-process service.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "platform/image/png_file.h"
#include "tests/service/served_viewer.h"
#include "tools/display-service/service/viewer_access.h"

namespace vareko::displayservice::testing {
namespace {

int RunTool(const std::string& arguments) {
    const std::string command = std::string(VAREKO_DISPLAY_TOOL_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


TEST(CliUrl, PrintsTheOwnersAddressWhileTheViewerRunsAndTheSameAfterARestart) {
    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath(), 0};
    ASSERT_EQ(service.Start(), "");
    const std::string urlFile = OwnerUrlPath(TokenPathForSocket(dir.SocketPath()));
    struct stat info {};
    ASSERT_EQ(stat(urlFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    int status = -1;
    const std::string first = ToolOutput("url", status);
    EXPECT_EQ(status, 0);
    const std::string prefix = "http://127.0.0.1:" + std::to_string(service.HttpPort()) + "/?key=";
    ASSERT_TRUE(first.starts_with(prefix)) << first;
    EXPECT_EQ(first.size(), prefix.size() + 64 + 1) << "64 hex digits and a newline: " << first;

    service.Stop();
    EXPECT_NE(stat(urlFile.c_str(), &info), 0) << "the address goes with the service";
    EXPECT_EQ(ToolOutput("url", status), "");
    EXPECT_EQ(status, 1);

    ASSERT_EQ(service.Start(), "");
    const std::string second = ToolOutput("url", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(second.starts_with("http://127.0.0.1:")) << second;
    EXPECT_EQ(second.substr(second.find("key=")), first.substr(first.find("key=")))
        << "the kept secret lets the browsers that opened it back in";
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(service.Start(), "");
        app_ = std::make_unique<RawClient>(dir.SocketPath());
        ASSERT_TRUE(app_->Hello(ClientRole::kApplication, "app"));
        ASSERT_TRUE(app_->Send(OpenMessage{0, 1}));
        OpenReplyMessage reply;
        ASSERT_TRUE(app_->ReceiveType(reply));
    }
    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath()};
    std::unique_ptr<RawClient> app_;  // connected once the service runs
};

TEST_F(CliTest, PressAndReleaseNumberButtonsFromOne) {
    std::vector<std::uint8_t> pixels(kDevicePixelBytes, 0);
    ASSERT_TRUE(app_->Send(FrameMessage{128, pixels}));
    ButtonsMessage buttons;
    ASSERT_EQ(RunTool("press 4"), 0);
    ASSERT_TRUE(app_->ReceiveType(buttons));
    EXPECT_EQ(buttons.word, 8u);
    ASSERT_EQ(RunTool("release 4"), 0);
    ASSERT_TRUE(app_->ReceiveType(buttons));
    EXPECT_EQ(buttons.word, 0u);
    EXPECT_NE(RunTool("press 0"), 0);
    EXPECT_NE(RunTool("press 5"), 0);
}

TEST_F(CliTest, SnapshotWritesTheShownFrameAsBlackAndWhite) {
    std::vector<std::uint8_t> pixels(kDevicePixelBytes, 0);
    pixels[0] = 129;                       // white
    pixels[1] = 128;                       // black
    pixels[kDevicePixelBytes - 1] = 200;   // white, bottom right
    ASSERT_TRUE(app_->Send(FrameMessage{128, pixels}));
    const std::string file = dir.Dir() + "/shot.png";
    ASSERT_TRUE(Eventually([&] {
        std::vector<std::uint8_t> read;
        int w = 0, h = 0;
        return RunTool("snapshot " + file + " --scale 2") == 0 &&
               platform::ReadGreyPng(file.c_str(), read, w, h) == platform::PngResult::kOk && w == 320 && h == 86 &&
               read[0] == 255 && read[1] == 255 && read[2] == 0 && read[read.size() - 1] == 255;
    }));
}

TEST_F(CliTest, UnplugPlugAndStatus) {
    ASSERT_EQ(RunTool("status"), 0);
    ASSERT_EQ(RunTool("unplug"), 0);
    DeviceStateMessage state;
    ASSERT_TRUE(app_->ReceiveType(state));
    EXPECT_FALSE(state.plugged);
    EXPECT_NE(RunTool("press 1"), 0);  // nothing to press while unplugged
    ASSERT_EQ(RunTool("plug"), 0);
    ASSERT_TRUE(app_->ReceiveType(state));
    EXPECT_TRUE(state.plugged);
}

TEST(CliWithoutService, CommandsFailCleanly) {
    TempSocketDir dir;
    EXPECT_NE(RunTool("status"), 0);
    EXPECT_NE(RunTool("press 1"), 0);
    EXPECT_NE(RunTool("no-such-command"), 0);
}

}  // namespace
}  // namespace vareko::displayservice::testing

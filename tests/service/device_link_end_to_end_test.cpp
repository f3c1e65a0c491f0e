// The program's own device link finding the library through the registry
// entry that `vareko-display register` writes, then talking to the service.
#include <gtest/gtest.h>

#include <cstring>

#include "display/devicelink/device_link.h"
#include "tests/service/service_harness.h"

namespace vareko::displayservice::testing {
namespace {

TEST(DeviceLinkEndToEnd, RegisteredLibraryIsFoundAndReachesTheService) {
    TempSocketDir dir;
    setenv("VAREKO_REGISTRY_ROOT", (dir.Dir() + "/registry").c_str(), 1);
    const std::string command = std::string(VAREKO_DISPLAY_TOOL_PATH) + " register >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    // The service is not running yet: the link still initialises.
    ASSERT_EQ(link::LinkInit(), link::kLinkOk);
    link::ConnectionRecord record{L"VAREKO v1.2", 0, 0, nullptr, nullptr, link::kNoHandle};
    EXPECT_EQ(link::LinkConnect(&record), link::kLinkServerUnavailable);

    ServiceRunner service(dir.SocketPath());
    ASSERT_EQ(service.Start(), "");
    ASSERT_EQ(link::LinkConnect(&record), link::kLinkOk);
    std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
    ASSERT_EQ(link::LinkEnumerate(record.connection, 0, buffer), link::kLinkOk);
    link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
    ASSERT_EQ(link::LinkOpen(&open), link::kLinkOk);
    DeviceBitmap frame;
    frame.format = kDeviceBitmapFormat;
    std::memset(frame.pixels, 0xFF, sizeof frame.pixels);
    EXPECT_EQ(link::LinkUpdate(open.device, &frame, 128), link::kLinkOk);

    RawClient control(dir.SocketPath());
    ASSERT_TRUE(control.Hello(ClientRole::kControl));
    ASSERT_TRUE(control.Send(ButtonMessage{1, true}));
    std::uint32_t word = 0;
    EXPECT_TRUE(Eventually([&] { return link::LinkReadButtons(open.device, &word) == 0 && word == 2u; }));
    EXPECT_EQ(link::LinkDeinit(), link::kLinkOk);
}

}  // namespace
}  // namespace vareko::displayservice::testing

// PNG writing and reading: pixels and scale survive a round trip; bad
// arguments are refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/image/png_file.h"

namespace vareko::platform {
namespace {

TEST(PngFile, ScaledGreyImageRoundTripsThroughFileAndMemory) {
    // 3 x 2 image inside a stride of 4 bytes; the padding byte must not leak.
    const std::uint8_t pixels[] = {0, 128, 255, 77, 10, 20, 30, 77};
    const std::string path = "/tmp/vareko-png-" + std::to_string(getpid()) + ".png";
    ASSERT_EQ(WriteGreyPng(path.c_str(), pixels, 3, 2, 4, 2), PngResult::kOk);
    std::vector<std::uint8_t> read;
    int width = 0, height = 0;
    ASSERT_EQ(ReadGreyPng(path.c_str(), read, width, height), PngResult::kOk);
    std::remove(path.c_str());
    EXPECT_EQ(width, 6);
    EXPECT_EQ(height, 4);
    const std::vector<std::uint8_t> expected = {
        0, 0, 128, 128, 255, 255,  0, 0, 128, 128, 255, 255,
        10, 10, 20, 20, 30, 30,    10, 10, 20, 20, 30, 30,
    };
    EXPECT_EQ(read, expected);

    std::vector<std::uint8_t> encoded;
    ASSERT_EQ(EncodeGreyPng(encoded, pixels, 3, 2, 4, 2), PngResult::kOk);
    ASSERT_GT(encoded.size(), 8u);
    EXPECT_EQ(encoded[1], 'P');
}

TEST(PngFile, RefusesBadArgumentsAndMissingFiles) {
    const std::uint8_t pixels[4] = {};
    std::vector<std::uint8_t> out;
    EXPECT_EQ(EncodeGreyPng(out, nullptr, 2, 2, 2), PngResult::kBadArguments);
    EXPECT_EQ(EncodeGreyPng(out, pixels, 0, 2, 2), PngResult::kBadArguments);
    EXPECT_EQ(EncodeGreyPng(out, pixels, 2, 2, 1), PngResult::kBadArguments);  // stride < width
    EXPECT_EQ(EncodeGreyPng(out, pixels, 2, 2, 2, 0), PngResult::kBadArguments);
    EXPECT_EQ(EncodeGreyPng(out, pixels, 2, 2, 2, kMaxPngScale + 1), PngResult::kBadArguments);
    EXPECT_EQ(WriteGreyPng("/nonexistent-dir/x.png", pixels, 2, 2, 2), PngResult::kWriteFailed);
    int w = 0, h = 0;
    EXPECT_EQ(ReadGreyPng("/nonexistent-dir/x.png", out, w, h), PngResult::kReadFailed);
}

}  // namespace
}  // namespace vareko::platform

// Debug helper for tests: writes an 8-bit threshold picture (or any
// width x height grid of lit/dark pixels) as a greyscale PNG, so a failing
// frame can be attached and looked at. Test code only; uses libpng.
#pragma once

#include <cstdint>
#include <string>

namespace vareko::test {

// pixels: height rows of strideBytes, one byte per pixel; bytes of 129 and
// above are written white, the rest black. Returns false on any failure.
bool WriteThresholdPng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                       int strideBytes);

// Where a test may put a picture: $VAREKO_TEST_ARTIFACTS or the working
// directory, joined with name.
std::string ArtifactPath(const std::string& name);

}  // namespace vareko::test

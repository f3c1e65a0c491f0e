// Reference frames of the conformance tests: one text line per picture row,
// '#' for a pixel that reads white after the threshold, '.' for black.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vareko::conformance {

using Frame = std::vector<std::string>;

// Reads a frame; empty when the file cannot be read. Carriage returns are
// ignored, so files written on either platform read alike.
std::optional<Frame> ReadFrame(const std::string& path);

// Writes the frame with '\n' line ends; false on any failure.
bool WriteFrame(const std::string& path, const Frame& frame);

// A readable account of where two frames differ: the first differing rows
// side by side with a marker line under each differing column; empty when
// they are equal.
std::string DescribeDifference(const Frame& expected, const Frame& actual);

}  // namespace vareko::conformance

// The file format of `vareko-send record` and `replay`: a header line, then
// per datagram a line "<microseconds since the recording began> <length>",
// the datagram's bytes as they arrived and a line feed. Binary-safe, readable
// with a text viewer for ordinary telemetry. Streams only, no sockets.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace vareko::send {

struct RecordedDatagram {
    std::uint64_t offsetUs = 0;
    std::string bytes;
};

// Largest payload of a UDP datagram over IPv4.
constexpr std::size_t kMaxDatagramBytes = 65507;

void WriteRecordingHeader(std::ostream& out);
void WriteRecordedDatagram(std::ostream& out, const RecordedDatagram& datagram);

enum class RecordingStatus { kOk, kBadHeader, kMalformedEntry, kOffsetsNotMonotonic };

// Reads a whole recording; on failure `datagrams` holds the entries before
// the fault.
RecordingStatus ReadRecording(std::istream& in, std::vector<RecordedDatagram>& datagrams);

const char* DescribeRecordingStatus(RecordingStatus status);

}  // namespace vareko::send

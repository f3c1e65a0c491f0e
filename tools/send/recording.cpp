// Writing and reading recordings. Each entry's length is stated before its
// bytes, so payloads may hold line feeds or any other byte.
#include "tools/send/recording.h"

#include <charconv>

namespace vareko::send {
namespace {

constexpr const char* kHeader = "vareko-send recording 1";

bool ParseEntryLine(const std::string& line, RecordedDatagram& entry, std::size_t& length) {
    const char* p = line.data();
    const char* end = p + line.size();
    auto r = std::from_chars(p, end, entry.offsetUs);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != ' ') return false;
    r = std::from_chars(r.ptr + 1, end, length);
    return r.ec == std::errc() && r.ptr == end && length <= kMaxDatagramBytes;
}

}  // namespace

void WriteRecordingHeader(std::ostream& out) { out << kHeader << '\n'; }

void WriteRecordedDatagram(std::ostream& out, const RecordedDatagram& datagram) {
    out << datagram.offsetUs << ' ' << datagram.bytes.size() << '\n';
    out.write(datagram.bytes.data(), static_cast<std::streamsize>(datagram.bytes.size()));
    out << '\n';
}

RecordingStatus ReadRecording(std::istream& in, std::vector<RecordedDatagram>& datagrams) {
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return RecordingStatus::kBadHeader;
    while (std::getline(in, line)) {
        RecordedDatagram entry;
        std::size_t length = 0;
        if (!ParseEntryLine(line, entry, length)) return RecordingStatus::kMalformedEntry;
        entry.bytes.resize(length);
        in.read(entry.bytes.data(), static_cast<std::streamsize>(length));
        if (static_cast<std::size_t>(in.gcount()) != length || in.get() != '\n') {
            return RecordingStatus::kMalformedEntry;
        }
        if (!datagrams.empty() && entry.offsetUs < datagrams.back().offsetUs) {
            return RecordingStatus::kOffsetsNotMonotonic;
        }
        datagrams.push_back(std::move(entry));
    }
    return RecordingStatus::kOk;
}

const char* DescribeRecordingStatus(RecordingStatus status) {
    switch (status) {
        case RecordingStatus::kOk: return "ok";
        case RecordingStatus::kBadHeader: return "not a vareko-send recording";
        case RecordingStatus::kMalformedEntry: return "malformed or truncated entry";
        case RecordingStatus::kOffsetsNotMonotonic: return "time offsets go backwards";
    }
    return "unknown status";
}

}  // namespace vareko::send

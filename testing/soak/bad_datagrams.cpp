// The fixed bad datagrams as a table, the noise from a small PRNG.
#include "testing/soak/bad_datagrams.h"

#include <random>

#include "tools/send/counter_pattern.h"
#include "tools/send/datagram_format.h"

namespace vareko::soak {
namespace {

using namespace std::string_literals;

// Each changes nothing on the page: no prefix, a damaged prefix, or a stop
// at the first field. `asl` (not shown) is the only field a few of them set.
const std::string kFixedBad[] = {
    ""s,
    "asl=1;agl=2;vvi=3;"s,
    "src=export.lub;asl=1;agl=2;"s,
    "SRC=export.lua;asl=1;agl=2;"s,
    " src=export.lua;asl=1;agl=2;"s,
    "src=export.lua"s,
    "src=export.lua;"s,
    "src=export.lua;agl=5;"s,
    "src=export.lua;asl=;agl=5;"s,
    "src=export.lua;asl=1,5;agl=5;"s,
    "src=export.lua;asl=1e39;agl;vvi=5;"s,
    "src=export.lua;asl=nan;agl=x;"s,
    "src=export.lua;asl=-0;agl=+;"s,
    "\0src=export.lua;asl=1;agl=777;vvi=777;"s,
    "src=export.lua\0;asl=1;agl=777;"s,
    "src=export.lua;asl=0x10;agl;vvi=5;"s,
};

// A complete datagram that no forwarded datagram matches, padded to `size`.
std::string Oversized(std::size_t size) {
    TelemetrySample poison{};
    send::SampleCounter(987654321, poison);
    std::string d = send::FormatDatagram(poison);
    d.resize(size, ' ');
    return d;
}

// Noise that cannot start with the prefix ('s' is never its first byte).
std::string Noise(std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> length(1, kLargestAcceptedDatagram);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string d(length(random), '\0');
    for (char& c : d) c = static_cast<char>(byte(random));
    if (d[0] == 's') d[0] = 'S';
    return d;
}

}  // namespace

std::vector<std::string> BadBurst(std::uint64_t index) {
    std::vector<std::string> burst(std::begin(kFixedBad), std::end(kFixedBad));
    for (std::size_t size : {kLargestAcceptedDatagram + 1, std::size_t{4096}, std::size_t{65000}}) {
        burst.push_back(Oversized(size));
    }
    std::mt19937 random(static_cast<std::uint32_t>(index));
    for (int i = 0; i < 4; ++i) burst.push_back(Noise(random));
    return burst;
}

}  // namespace vareko::soak

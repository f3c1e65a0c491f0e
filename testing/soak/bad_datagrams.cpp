// Rows of the shared bad-datagram table, oversized datagrams and noise from
// a small PRNG.
#include "testing/soak/bad_datagrams.h"

#include <random>

#include "testing/support/bad_datagrams.h"
#include "tools/send/counter_pattern.h"
#include "tools/send/datagram_format.h"

namespace vareko::soak {
namespace {

// How many rows of the shared table of bad datagrams one burst takes; the
// bursts walk through the whole table in turn.
constexpr std::size_t kTableRowsPerBurst = 16;

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
    static const std::vector<testing::BadDatagram> table = testing::BadDatagramsThatChangeNothingShown();
    std::vector<std::string> burst;
    for (std::size_t i = 0; i < kTableRowsPerBurst; ++i) {
        burst.push_back(table[(index * kTableRowsPerBurst + i) % table.size()].bytes);
    }
    for (std::size_t size : {kLargestAcceptedDatagram + 1, std::size_t{4096}, std::size_t{65000}}) {
        burst.push_back(Oversized(size));
    }
    std::mt19937 random(static_cast<std::uint32_t>(index));
    for (int i = 0; i < 4; ++i) burst.push_back(Noise(random));
    return burst;
}

}  // namespace vareko::soak

// The bursts of bad datagrams that the soak throws at UDP 6060. Every one of
// them must leave the flight page as it was: the rows of the shared table of
// bad datagrams that stop before any shown field, binary noise, and datagrams
// too large for the receiver, whose first 1515 bytes hold a complete datagram
// with values that no forwarded datagram carries (if the program parsed a
// truncated copy, that picture would be unknown to the soak). Depends on the
// sender's datagram writer only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vareko::soak {

// The largest datagram the program accepts; anything longer is refused whole.
constexpr std::size_t kLargestAcceptedDatagram = 1515;

// Burst number `index`: the next rows of the table, the oversized datagrams,
// then noise that differs per burst.
std::vector<std::string> BadBurst(std::uint64_t index);

}  // namespace vareko::soak

// Test support: a table of nasty datagrams (broken prefixes, NUL bytes at
// every offset, corner-case numbers in the first, a middle and the last
// numeric field, words of every length, datagrams at and beyond the receive
// buffer's limit). Shared by the parser's table test against sscanf, the
// receiver's test through a real socket, and, as far as they leave the
// panel unchanged, the soak's bursts and the end-to-end test.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/telemetry_sample.h"

namespace vareko::testing {

struct BadDatagram {
    std::string name;   // the corner the row probes
    std::string bytes;  // the datagram's payload, NULs included
};

// Payloads of at most 1515 bytes: a receive buffer's worth, which the receiver
// parses up to the first NUL.
std::vector<BadDatagram> BadDatagramsThatFit();

// Payloads of 1516 bytes and more, whose first 1515 bytes would parse: the
// receiver must reject them whole.
std::vector<BadDatagram> OversizedDatagrams();

// The rows of BadDatagramsThatFit that leave every field the dashboard shows
// as it was, whatever the record held before: the parser stops before the
// first shown field. Only `asl`, which no page shows, may change.
std::vector<BadDatagram> BadDatagramsThatChangeNothingShown();

}  // namespace vareko::testing

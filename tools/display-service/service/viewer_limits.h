// What one HTTP viewer accepts: request sizes, connection budgets and
// timeouts. The viewer's own page sends requests of a few hundred bytes with
// no body, so these bounds leave room for any browser's headers (cookies of
// other local pages included) and nothing more.
#pragma once

#include <chrono>
#include <cstddef>

namespace vareko::displayservice {

constexpr std::size_t kMaxRequestLineBytes = 8 * 1024;
constexpr std::size_t kMaxHeaderFieldBytes = 16 * 1024;  // every header line of one request together
constexpr std::size_t kMaxBodyBytes = 1024;              // the POSTs carry none; refused from Content-Length
constexpr std::size_t kMaxRequestBytes = kMaxRequestLineBytes + kMaxHeaderFieldBytes + kMaxBodyBytes;
// The kernel's receive buffer per connection (SO_RCVBUF): a few requests.
constexpr int kReceiveBufferBytes = 64 * 1024;

// Connections that have not yet shown the owner's cookie. A newcomer beyond
// the cap closes the oldest of them, so idle connections held by someone else
// can delay the owner's browser by one reconnect at most, never lock it out.
constexpr std::size_t kMaxStrangerConnections = 32;
// Connections that did show it: a browser opens about six per site, a few
// tabs a few times that. Beyond the cap the oldest is closed.
constexpr std::size_t kMaxOwnerConnections = 32;
// Open /events streams (one per viewer tab). A new one beyond the cap
// replaces the oldest; none ever waits.
constexpr std::size_t kMaxEventStreams = 4;

// A connection that does not deliver a whole request in this time is closed;
// this covers the idle time of a kept-alive connection too.
constexpr auto kRequestTimeout = std::chrono::seconds(10);
// A peer that does not take a response or an event in this time is closed.
constexpr auto kWriteTimeout = std::chrono::seconds(5);
constexpr int kMaxEventsPerSecond = 50;
constexpr auto kKeepAliveComment = std::chrono::seconds(10);

}  // namespace vareko::displayservice

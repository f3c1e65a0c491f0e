// HTTP side of the browser viewer, on one thread (Boost.Beast over Asio).
// Each connection reads one bounded request at a time: the parser stops at
// kMaxRequestLineBytes + kMaxHeaderFieldBytes of header and refuses a body
// longer than kMaxBodyBytes from its Content-Length before reading it, and
// the read buffer cannot grow past kMaxRequestBytes. Each listener keeps its
// connections in three budgets of its own (strangers, owner, event streams),
// and connections to 127.0.0.1 or ::1 count against the loopback listener's
// whichever socket accepted them, so a flood on a network address never
// costs the loopback viewer a place. One that would exceed its budget closes
// the oldest in it. Every refusal closes its connection.
// The event streams send only the newest picture, at most kMaxEventsPerSecond.
#include "tools/display-service/service/http_viewer.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http.hpp>

#if VAREKO_VIEWER_TLS
#include <boost/asio/ssl.hpp>
#include <boost/beast/ssl.hpp>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#endif

#include <array>
#include <future>
#include <map>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

#include "tools/display-service/service/interface_addresses.h"
#include "tools/display-service/service/viewer_limits.h"
#include "tools/display-service/service/viewer_listeners.h"
#include "tools/display-service/service/viewer_requests.h"
#include "tools/display-service/service/viewer_routes.h"

namespace vareko::displayservice {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

class Connection;

#if VAREKO_VIEWER_TLS
namespace ssl = asio::ssl;
using TlsContext = ssl::context;
using AnyStream = std::variant<beast::tcp_stream, beast::ssl_stream<beast::tcp_stream>>;
#else
struct TlsContext {};
using AnyStream = std::variant<beast::tcp_stream>;
#endif

enum Standing : std::size_t { kStranger, kOwner, kStream, kStandingCount };
constexpr std::array<std::size_t, kStandingCount> kBudgets = {kMaxStrangerConnections, kMaxOwnerConnections,
                                                              kMaxEventStreams};
constexpr auto kAcceptPause = std::chrono::milliseconds(100);

std::string_view Std(beast::string_view text) { return {text.data(), text.size()}; }

// What a request that failed to parse is answered with; 0: close silently
// (the peer went away or timed out).
int RefusalStatus(const beast::error_code& ec, std::string_view buffered) {
    if (ec == http::error::header_limit || ec == beast::http::error::buffer_overflow) {
        // A request line that never ended within its bound is too long a URI.
        return buffered.substr(0, kMaxRequestLineBytes + 2).find("\r\n") == std::string_view::npos ? 414 : 431;
    }
    if (ec == http::error::body_limit) return 413;
    if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == asio::error::connection_reset ||
        ec == asio::error::operation_aborted || ec == asio::error::eof) {
        return 0;
    }
    return 400;
}

std::string_view ReasonFor(int status) {
    switch (status) {
        case 413: return "request body too large (the viewer takes none)\n";
        case 414: return "request line too long\n";
        case 431: return "request headers too large\n";
        default: return "malformed request\n";
    }
}

// The connections of one listener, by standing. Serials grow with each
// accept, so each map lists its oldest first. An event stream between two
// writes has no pending operation: this is what keeps it alive.
struct Budget {
    std::array<std::map<std::uint64_t, std::shared_ptr<Connection>>, kStandingCount> members;
};

struct Listener {
    Listener(asio::io_context& io, Budget& b) : acceptor(io), acceptPause(io), budget(b) {}
    tcp::acceptor acceptor;
    asio::steady_timer acceptPause;
    Budget& budget;  // of connections to its other addresses than 127.0.0.1 and ::1
};

std::size_t HeaderFieldBytes(const http::request<http::string_body>& request) {
    std::size_t bytes = 0;
    for (const auto& field : request) bytes += field.name_string().size() + field.value().size() + 4;
    return bytes;
}

}  // namespace

struct HttpViewer::Impl {
    explicit Impl(ViewerState& s) : state(s) {}

    ViewerState& state;
    asio::io_context io{1};
    asio::steady_timer pump{io};
    std::thread thread;
    int port = 0;
    std::string secret;
    std::uint64_t nextSerial = 0;
    // The first is the loopback addresses' budget, then one per listener
    // on other addresses.
    std::vector<std::unique_ptr<Budget>> budgets;
    std::vector<std::unique_ptr<Listener>> listeners;
    std::vector<ViewerEndpoint> endpoints;  // what the listeners are bound to
    std::unique_ptr<TlsContext> tls;       // null: plain HTTP
    bool pumping = false;
    std::uint64_t eventGeneration = 0;
    std::shared_ptr<const std::string> event;

    std::string Listen(const ViewerEndpoint& endpoint, int listenPort);
    void Accept(Listener& listener);
    void Enrol(const std::shared_ptr<Connection>& connection, Budget& budget, std::uint64_t serial, Standing standing);
    void ReplaceSecret(std::string newSecret);
    AnyStream MakeStream(tcp::socket socket);
    std::string LoadTls(const ViewerTls& files);
    void StartPump();
    void Pump();
};

namespace {

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(HttpViewer::Impl& viewer, AnyStream stream, Budget& budget, std::string address,
               std::uint64_t serial)
        : viewer_(viewer), stream_(std::move(stream)), budget_(budget), address_(std::move(address)),
          serial_(serial) {}

    // Under TLS the handshake comes first, within the request's time.
    void Begin();
    void ReadRequest();
    void Close();

    // Event streams.
    bool Writing() const { return writing_; }
    std::uint64_t SentGeneration() const { return sentGeneration_; }
    Clock::time_point LastSent() const { return lastSent_; }
    void Send(std::shared_ptr<const std::string> text, std::uint64_t generation);

private:
    void OnRead(const beast::error_code& ec);
    void Respond(ViewerReply reply, bool keepAlive);
    void MoveTo(Standing standing);

    HttpViewer::Impl& viewer_;
    // Runs `operation` on the stream, whichever kind it is.
    template <typename Operation>
    void OnStream(Operation operation) {
        std::visit(operation, stream_);
    }
    beast::tcp_stream& Lowest() {
        return std::visit([](auto& s) -> beast::tcp_stream& { return beast::get_lowest_layer(s); }, stream_);
    }

    AnyStream stream_;
    Budget& budget_;
    std::string address_;  // the local address, as the Host header must name it
    beast::flat_buffer buffer_{kMaxRequestBytes};
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    std::shared_ptr<const std::string> sending_;
    std::uint64_t serial_;
    Standing standing_ = kStranger;
    bool open_ = true;
    bool writing_ = false;
    std::uint64_t sentGeneration_ = 0;
    Clock::time_point lastSent_{};
};

void Connection::ReadRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(kMaxRequestLineBytes + kMaxHeaderFieldBytes));
    parser_->body_limit(kMaxBodyBytes);
    Lowest().expires_after(kRequestTimeout);
    OnStream([this](auto& s) {
        http::async_read(s, buffer_, *parser_,
                         [self = shared_from_this()](const beast::error_code& ec, std::size_t) { self->OnRead(ec); });
    });
}

void Connection::Begin() {
#if VAREKO_VIEWER_TLS
    if (auto* tls = std::get_if<beast::ssl_stream<beast::tcp_stream>>(&stream_)) {
        Lowest().expires_after(kRequestTimeout);
        tls->async_handshake(ssl::stream_base::server, [self = shared_from_this()](const beast::error_code& ec) {
            if (!self->open_) return;
            if (ec) {
                self->Close();  // a plain-HTTP request or a failed handshake
            } else {
                self->ReadRequest();
            }
        });
        return;
    }
#endif
    ReadRequest();
}

void Connection::Close() {
    if (!open_) return;
    open_ = false;
    budget_.members[standing_].erase(serial_);
    beast::error_code ignored;
    Lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
    Lowest().socket().close(ignored);
}

void Connection::MoveTo(Standing standing) {
    if (standing == standing_) return;
    budget_.members[standing_].erase(serial_);
    standing_ = standing;
    viewer_.Enrol(shared_from_this(), budget_, serial_, standing);
}

void Connection::OnRead(const beast::error_code& ec) {
    if (!open_) return;
    if (ec) {
        const auto data = buffer_.data();
        const int status =
            RefusalStatus(ec, std::string_view(static_cast<const char*>(data.data()), data.size()));
        if (status == 0) {
            Close();
        } else {
            Respond(PlainReply(status, ReasonFor(status)), false);
        }
        return;
    }
    const http::request<http::string_body>& request = parser_->get();
    if (request.target().size() > kMaxRequestLineBytes) {
        Respond(PlainReply(414, ReasonFor(414)), false);
        return;
    }
    if (HeaderFieldBytes(request) > kMaxHeaderFieldBytes) {
        Respond(PlainReply(431, ReasonFor(431)), false);
        return;
    }
    if (request.count(http::field::host) != 1) {
        Respond(PlainReply(400, "expected one Host header\n"), false);
        return;
    }
    const ViewerRequest parsed{Std(request.method_string()), Std(request.target()),
                               Std(request[http::field::host]), Std(request[http::field::origin]),
                               Std(request[http::field::cookie])};
    ViewerReply reply = AnswerViewerRequest(parsed, {viewer_.port, viewer_.secret, address_, viewer_.tls != nullptr},
                                            viewer_.state);
    if (reply.owner) MoveTo(kOwner);
    if (reply.eventStream) {
        MoveTo(kStream);
        Send(std::make_shared<const std::string>(EventStreamHead(reply)), 0);
        viewer_.StartPump();
        return;
    }
    Respond(std::move(reply), request.keep_alive());
}

void Connection::Respond(ViewerReply reply, bool keepAlive) {
    const bool closeAfter = !keepAlive || reply.status >= 400;
    response_ = {};
    response_.version(11);
    response_.result(static_cast<unsigned>(reply.status));
    if (!reply.contentType.empty() && reply.status != 204) {
        response_.set(http::field::content_type, reply.contentType);
    }
    for (const auto& [name, value] : reply.headers) response_.insert(name, value);
    response_.body() = std::move(reply.body);
    response_.keep_alive(!closeAfter);
    response_.prepare_payload();
    Lowest().expires_after(kWriteTimeout);
    OnStream([this, closeAfter](auto& s) {
        http::async_write(s, response_, [self = shared_from_this(), closeAfter](const beast::error_code& ec, std::size_t) {
            if (ec || closeAfter) {
                self->Close();
            } else {
                self->ReadRequest();
            }
        });
    });
}

void Connection::Send(std::shared_ptr<const std::string> text, std::uint64_t generation) {
    writing_ = true;
    sending_ = std::move(text);
    lastSent_ = Clock::now();
    if (generation != 0) sentGeneration_ = generation;
    Lowest().expires_after(kWriteTimeout);
    OnStream([this](auto& s) {
        asio::async_write(s, asio::buffer(*sending_), [self = shared_from_this()](const beast::error_code& ec, std::size_t) {
            self->writing_ = false;
            self->sending_.reset();
            if (ec) {
                self->Close();
            } else {
                self->Lowest().expires_never();
            }
        });
    });
}

}  // namespace

void HttpViewer::Impl::Accept(Listener& listener) {
    listener.acceptor.async_accept([this, &listener](const beast::error_code& ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted) return;
        beast::error_code addressError;
        const tcp::endpoint local = ec ? tcp::endpoint() : socket.local_endpoint(addressError);
        if (ec || addressError) {
            // Out of descriptors, say: wait instead of retrying at once.
            listener.acceptPause.expires_after(kAcceptPause);
            listener.acceptPause.async_wait([this, &listener](const beast::error_code& waitError) {
                if (!waitError) Accept(listener);
            });
            return;
        }
        Budget& budget = IsLoopbackHome(local.address()) ? *budgets.front() : listener.budget;
        const std::uint64_t serial = nextSerial++;
        auto connection = std::make_shared<Connection>(*this, MakeStream(std::move(socket)), budget,
                                                       UrlHost(local.address()), serial);
        Enrol(connection, budget, serial, kStranger);
        connection->Begin();
        Accept(listener);
    });
}

void HttpViewer::Impl::Enrol(const std::shared_ptr<Connection>& connection, Budget& budget, std::uint64_t serial,
                             Standing standing) {
    auto& group = budget.members[standing];
    while (group.size() >= kBudgets[standing]) {
        const std::shared_ptr<Connection> oldest = group.begin()->second;
        group.erase(group.begin());
        oldest->Close();
    }
    group.emplace(serial, connection);
}

AnyStream HttpViewer::Impl::MakeStream(tcp::socket socket) {
#if VAREKO_VIEWER_TLS
    if (tls) return AnyStream(std::in_place_index<1>, std::move(socket), *tls);
#endif
    return AnyStream(std::in_place_index<0>, std::move(socket));
}

std::string HttpViewer::Impl::LoadTls(const ViewerTls& files) {
#if VAREKO_VIEWER_TLS
    auto context = std::make_unique<ssl::context>(ssl::context::tls_server);
    beast::error_code ec;
    context->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                             ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use,
                         ec);
    context->use_certificate_chain_file(files.certificateFile, ec);
    if (ec) return "cannot use the TLS certificate " + files.certificateFile + ": " + ec.message();
    context->use_private_key_file(files.keyFile, ssl::context::pem, ec);
    const bool mismatch = ec && ERR_GET_REASON(static_cast<unsigned long>(ec.value())) == X509_R_KEY_VALUES_MISMATCH;
    if (ec && !mismatch) return "cannot use the TLS key " + files.keyFile + ": " + ec.message();
    if (mismatch || SSL_CTX_check_private_key(context->native_handle()) != 1) {
        return "the TLS key " + files.keyFile + " does not belong to the certificate " + files.certificateFile;
    }
    tls = std::move(context);
    return {};
#else
    static_cast<void>(files);
    return "TLS is not available in this build";
#endif
}

void HttpViewer::Impl::ReplaceSecret(std::string newSecret) {
    secret = std::move(newSecret);
    for (const auto& budget : budgets) {
        // Copies: closing a connection takes it out of its map.
        for (const Standing standing : {kOwner, kStream}) {
            const auto connections = budget->members[standing];
            for (const auto& [serial, connection] : connections) connection->Close();
        }
    }
}

void HttpViewer::Impl::StartPump() {
    if (pumping) return;
    pumping = true;
    Pump();
}

void HttpViewer::Impl::Pump() {
    bool anyStream = false;
    for (const auto& budget : budgets) anyStream = anyStream || !budget->members[kStream].empty();
    if (!anyStream) {
        pumping = false;
        return;
    }
    ViewerPicture picture;
    if (state.WaitNewer(eventGeneration, picture, std::chrono::milliseconds(0))) {
        eventGeneration = picture.generation;
        event = std::make_shared<const std::string>("event: frame\ndata: " + PictureToJson(picture) + "\n\n");
    }
    static const auto keepAlive = std::make_shared<const std::string>(":\n\n");  // finds dead peers
    const Clock::time_point now = Clock::now();
    for (const auto& budget : budgets) {
        for (const auto& [serial, stream] : budget->members[kStream]) {
            if (stream->Writing()) continue;
            if (event && stream->SentGeneration() < eventGeneration) {
                stream->Send(event, eventGeneration);
            } else if (now - stream->LastSent() >= kKeepAliveComment) {
                stream->Send(keepAlive, 0);
            }
        }
    }
    pump.expires_after(std::chrono::milliseconds(1000 / kMaxEventsPerSecond));
    pump.async_wait([this](const beast::error_code& ec) {
        if (!ec) Pump();
    });
}

HttpViewer::HttpViewer(ViewerState& state) : impl_(std::make_unique<Impl>(state)) {}

HttpViewer::~HttpViewer() {
    impl_->state.Shutdown();
    impl_->io.stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

std::string HttpViewer::Impl::Listen(const ViewerEndpoint& endpoint, int listenPort) {
    const tcp::endpoint where(endpoint.address, static_cast<unsigned short>(listenPort));
    if (budgets.empty()) budgets.push_back(std::make_unique<Budget>());
    if (!IsLoopbackHome(endpoint.address)) budgets.push_back(std::make_unique<Budget>());
    auto listener = std::make_unique<Listener>(io, IsLoopbackHome(endpoint.address) ? *budgets.front() : *budgets.back());
    tcp::acceptor& acceptor = listener->acceptor;
    beast::error_code ec;
    acceptor.open(where.protocol(), ec);
    // On Linux this only lets a restart bind while old connections linger.
    if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec && endpoint.address.is_v6()) acceptor.set_option(asio::ip::v6_only(endpoint.v6Only), ec);
    // Inherited by every accepted socket: what a peer can park in the kernel
    // on one connection before the viewer reads (or refuses) it.
    if (!ec) acceptor.set_option(asio::socket_base::receive_buffer_size(kReceiveBufferBytes), ec);
    if (!ec) acceptor.bind(where, ec);
    if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
    const std::string name = UrlHost(endpoint.address);
    if (ec && listenPort == 0) return "cannot bind the viewer to " + name + ": " + ec.message();
    if (ec) {
        return "cannot bind the viewer to " + name + ":" + std::to_string(listenPort) + ": " + ec.message() +
               (ec == asio::error::address_in_use ? " (choose another port with --http-port, 0 for any)" : "");
    }
    port = acceptor.local_endpoint(ec).port();
    listeners.push_back(std::move(listener));
    return {};
}

std::string HttpViewer::Start(int port, const std::string& secret, const std::vector<std::string>& listen,
                              const ViewerTls& tls) {
    impl_->secret = secret;
    if (!tls.certificateFile.empty()) {
        if (std::string error = impl_->LoadTls(tls); !error.empty()) return error;
    }
    std::vector<ViewerEndpoint> endpoints;
    std::string error;
    if (!PlanViewerEndpoints(listen, endpoints, error)) return error;
    for (const ViewerEndpoint& endpoint : endpoints) {
        // Every listener takes the port the first one got.
        error = impl_->Listen(endpoint, impl_->listeners.empty() ? port : impl_->port);
        if (!error.empty()) return error;
    }
    impl_->endpoints = endpoints;
    for (const auto& listener : impl_->listeners) impl_->Accept(*listener);
    impl_->thread = std::thread([this] { impl_->io.run(); });
    return {};
}

int HttpViewer::Port() const { return impl_->port; }

bool HttpViewer::Secure() const { return impl_->tls != nullptr; }

bool HttpViewer::TlsAvailable() { return VAREKO_VIEWER_TLS != 0; }

void HttpViewer::SetSecret(const std::string& secret) {
    std::promise<void> applied;
    std::future<void> done = applied.get_future();
    asio::post(impl_->io, [this, secret, &applied] {
        impl_->ReplaceSecret(secret);
        applied.set_value();
    });
    done.wait();
}

std::vector<std::string> HttpViewer::NetworkHosts() const {
    return NetworkUrlHosts(impl_->endpoints, InterfaceAddresses());
}

}  // namespace vareko::displayservice

// HTTP side of the browser viewer. Every request must carry our own Host
// header; state-changing requests (POST) must also come with our own Origin.
// The event stream sends only the newest picture, at most kMaxEventsPerSecond
// per viewer, so a slow browser costs nothing but its own worker thread.
#include "tools/display-service/http_viewer.h"

#include <httplib.h>

#include <thread>

#include "platform/image/png_file.h"
#include "tools/display-service/viewer_page.h"
#include "tools/display-service/viewer_requests.h"

namespace vareko::displayservice {
namespace {

constexpr int kMaxEventsPerSecond = 50;
constexpr auto kKeepAliveComment = std::chrono::seconds(10);
constexpr std::size_t kWorkerThreads = 16;
constexpr int kPngScale = 4;

bool ParseFlag(const httplib::Request& req, const char* name, bool& value) {
    if (!req.has_param(name)) return false;
    const std::string text = req.get_param_value(name);
    if (text != "0" && text != "1") return false;
    value = text == "1";
    return true;
}

}  // namespace

struct HttpViewer::Impl {
    explicit Impl(ViewerState& s) : state(s) {}

    ViewerState& state;
    httplib::Server server;
    std::thread thread;
    int port = 0;

    void Routes();
    void Events(httplib::Response& res);
};

void HttpViewer::Impl::Routes() {
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        const bool hostOk = IsAllowedHost(req.get_header_value("Host"), port);
        const bool changesState = req.method != "GET" && req.method != "HEAD";
        const bool originOk = !changesState || IsAllowedOrigin(req.get_header_value("Origin"), port);
        if (hostOk && originOk) return httplib::Server::HandlerResponse::Unhandled;
        res.status = 403;
        res.set_content(hostOk ? "foreign Origin refused\n" : "foreign Host refused\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_header("Content-Security-Policy", "default-src 'self'; script-src 'unsafe-inline'; style-src 'unsafe-inline'");
        res.set_content(kViewerPage, "text/html; charset=utf-8");
    });
    server.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(PictureToJson(state.Latest()), "application/json");
    });
    server.Get("/frame.png", [this](const httplib::Request&, httplib::Response& res) {
        const ViewerPicture picture = state.Latest();
        std::uint8_t grey[kDevicePixelBytes];
        for (std::size_t i = 0; i < kDevicePixelBytes; ++i) grey[i] = IsWhitePixel(picture.pixels[i]) ? 255 : 0;
        std::vector<std::uint8_t> png;
        if (platform::EncodeGreyPng(png, grey, kDisplayWidth, kDisplayHeight, kDisplayWidth, kPngScale) !=
            platform::PngResult::kOk) {
            res.status = 500;
            return;
        }
        res.set_header("Cache-Control", "no-store");
        res.set_content(std::string(png.begin(), png.end()), "image/png");
    });
    server.Get("/events", [this](const httplib::Request&, httplib::Response& res) { Events(res); });
    server.Post("/api/button", [this](const httplib::Request& req, httplib::Response& res) {
        bool down = false;
        const std::string index = req.get_param_value("index");
        if (!ParseFlag(req, "down", down) || index.size() != 1 || index[0] < '0' || index[0] > '3') {
            res.status = 400;
            return;
        }
        state.PostCommand({ViewerCommand::Kind::kButton, static_cast<std::uint32_t>(index[0] - '0'), down});
        res.status = 204;
    });
    server.Post("/api/plug", [this](const httplib::Request& req, httplib::Response& res) {
        bool plugged = false;
        if (!ParseFlag(req, "plugged", plugged)) {
            res.status = 400;
            return;
        }
        state.PostCommand({ViewerCommand::Kind::kPlug, 0, plugged});
        res.status = 204;
    });
}

void HttpViewer::Impl::Events(httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_chunked_content_provider(
        "text/event-stream", [this, seen = std::uint64_t{0}](std::size_t, httplib::DataSink& sink) mutable {
            ViewerPicture picture;
            if (!state.WaitNewer(seen, picture, kKeepAliveComment)) {
                if (state.IsShutDown()) return false;
                // A comment line keeps the stream open and finds dead peers.
                return sink.write(":\n\n", 3);
            }
            seen = picture.generation;
            const std::string event = "event: frame\ndata: " + PictureToJson(picture) + "\n\n";
            if (!sink.write(event.data(), event.size())) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1000 / kMaxEventsPerSecond));
            return true;
        });
}

HttpViewer::HttpViewer(ViewerState& state) : impl_(std::make_unique<Impl>(state)) {}

HttpViewer::~HttpViewer() {
    impl_->state.Shutdown();
    impl_->server.stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

std::string HttpViewer::Start(int port) {
    impl_->server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    impl_->server.set_keep_alive_timeout(1);
    impl_->server.set_read_timeout(2);
    impl_->server.set_write_timeout(2);
    impl_->Routes();
    if (port == 0) {
        impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
        if (impl_->port <= 0) return "cannot bind the viewer to 127.0.0.1";
    } else {
        if (!impl_->server.bind_to_port("127.0.0.1", port)) {
            return "cannot bind the viewer to 127.0.0.1:" + std::to_string(port) +
                   " (in use? choose another with --http-port, 0 for any)";
        }
        impl_->port = port;
    }
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    return {};
}

int HttpViewer::Port() const { return impl_->port; }

}  // namespace vareko::displayservice

// The browser viewer: an HTTP server on 127.0.0.1 (and on the addresses the
// owner adds for other devices) that serves the panel page,
// a server-sent event stream of the latest picture, a PNG of it, and the
// button and plug actions, to the owner only (see viewer_access.h). It runs
// on its own thread and touches the service only through ViewerState.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/display-service/service/viewer_state.h"

namespace vareko::displayservice {

// The certificate (chain) and its private key, PEM files; both empty: plain HTTP.
struct ViewerTls {
    std::string certificateFile;
    std::string keyFile;
};

class HttpViewer {
public:
    explicit HttpViewer(ViewerState& state);
    ~HttpViewer();  // stops serving and joins the server thread
    HttpViewer(const HttpViewer&) = delete;
    HttpViewer& operator=(const HttpViewer&) = delete;

    // port 0 picks a free port, the same on every address; `secret` is what
    // the owner's address carries; `listen` names the addresses served
    // beside 127.0.0.1. Returns an empty string or the reason.
    // With `tls` files every listener speaks HTTPS only.
    std::string Start(int port, const std::string& secret, const std::vector<std::string>& listen = {},
                      const ViewerTls& tls = {});
    int Port() const;
    bool Secure() const;
    // Whether this build can serve HTTPS at all (OpenSSL found at build time).
    static bool TlsAvailable();
    // From any thread; returns once the viewer uses `secret`. Every later
    // request needs it, and the event streams that the old one let in are
    // closed, so their pages ask again and are told why.
    void SetSecret(const std::string& secret);
    // The addresses other devices reach the viewer at, as a URL writes them
    // ("192.0.2.7", "[2001:db8::7]"); those of a wildcard listener are the
    // interfaces' addresses of its family at the time of asking.
    std::vector<std::string> NetworkHosts() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vareko::displayservice

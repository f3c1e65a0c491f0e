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

class HttpViewer {
public:
    explicit HttpViewer(ViewerState& state);
    ~HttpViewer();  // stops serving and joins the server thread
    HttpViewer(const HttpViewer&) = delete;
    HttpViewer& operator=(const HttpViewer&) = delete;

    // port 0 picks a free port, the same on every address; `secret` is what
    // the owner's address carries; `listen` names the addresses served
    // beside 127.0.0.1. Returns an empty string or the reason.
    std::string Start(int port, const std::string& secret, const std::vector<std::string>& listen = {});
    int Port() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vareko::displayservice

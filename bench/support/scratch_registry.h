// A registry root made for one benchmark run, with a display-manager library
// registered under the library key; the root is removed at scope exit.
// Setting it points $VAREKO_REGISTRY_ROOT at the scratch folder.
#pragma once

#include <string>

namespace vareko::bench {

class ScratchRegistry {
public:
    // Registers `libraryPath`; by default the library that discards frames.
    explicit ScratchRegistry(const char* libraryPath = VAREKO_DISCARD_LIBRARY);
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    bool Ok() const { return ok; }

private:
    std::string root;
    bool ok = false;
};

}  // namespace vareko::bench

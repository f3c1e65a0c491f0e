// `vareko-display view` on Windows: the console has no terminal view; the
// browser viewer shows the panel.
#include <cstdio>

#include "tools/display-service/cli/cli_commands.h"

namespace vareko::displayservice {

int RunView(const Arguments&) {
    std::fprintf(stderr, "vareko-display: the terminal view is not available on Windows; open the browser "
                         "viewer (`vareko-display url` prints its address)\n");
    return 1;
}

}  // namespace vareko::displayservice

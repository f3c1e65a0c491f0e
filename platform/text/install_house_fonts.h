// Makes the house bitmap fonts the faces that the toolkit's face name gives
// on this platform. On Linux our text layer has them built in; on Windows
// they become the process's private raster fonts. Called once at start-up,
// before the first font is created. Depends on platform/win32.h only.
#pragma once

#include "platform/win32.h"

namespace vareko::platform {

// S_OK when every house font is available under the house face name,
// E_FAIL when the system refused one (text then falls back to the system's
// face of that name). Calls after the first do nothing and repeat its result.
HRESULT InstallHouseFonts();

}  // namespace vareko::platform

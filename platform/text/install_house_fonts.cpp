// Linux: the face resolver answers the house face name with the house fonts
// itself (face_resolver.cpp), so there is nothing to install.
#include "platform/text/install_house_fonts.h"

namespace vareko::platform {

HRESULT InstallHouseFonts() { return S_OK; }

}  // namespace vareko::platform

// Windows: installs house fonts, written as raster font images, as private
// fonts of the process from memory, so that the system's font mapper finds
// them by the house face name and the size classes' heights. Private fonts
// are documented to win over a public font of the same name.
#include "platform/text/install_house_fonts.h"

#include "platform/text/house_font.h"
#include "platform/windows_only/raster_font_image.h"

namespace vareko::platform {
namespace {

// One weight per em height: the one the display's size classes draw with.
// Wine keeps a single raster face per face name and height: a second weight
// at the same height is dropped as a duplicate, or loses to the regular one,
// which it then emboldens itself.
struct InstalledSize {
    LONG emHeight;
    LONG weight;
};
constexpr InstalledSize kInstalledSizes[] = {{9, FW_NORMAL}, {11, FW_NORMAL}, {16, FW_BOLD}};

HRESULT InstallAll() {
    HRESULT result = S_OK;
    for (const InstalledSize& size : kInstalledSizes) {
        const text::HouseFont* font = text::FindHouseFont(size.emHeight, size.weight);
        std::vector<BYTE> image = font ? BuildRasterFontImage(*font) : std::vector<BYTE>{};
        DWORD installed = 0;
        // The system keeps its own copy of the image.
        if (image.empty() ||
            AddFontMemResourceEx(image.data(), static_cast<DWORD>(image.size()), nullptr, &installed) == nullptr ||
            installed == 0) {
            result = E_FAIL;
        }
    }
    return result;
}

}  // namespace

HRESULT InstallHouseFonts() {
    static const HRESULT result = InstallAll();
    return result;
}

}  // namespace vareko::platform

// The font as a GDI object: the LOGFONT it was made from and the face that
// draws it. Internal to platform/; the public entry points are in
// text_api.h. Depends on platform/gdi (object table, DC state).
#pragma once

#include <memory>

#include "platform/gdi/dc_state.h"
#include "platform/gdi/handle_table.h"
#include "platform/text/font_face.h"

namespace vareko::text {

class FontObject final : public gdi::GdiObject {
public:
    static constexpr gdi::ObjectKind kKind = gdi::ObjectKind::Font;

    FontObject(const LOGFONTW& description, std::shared_ptr<const FontFace> drawingFace)
        : GdiObject(kKind), logFont(description), face(std::move(drawingFace)) {}

    // GetObjectW: the LOGFONTW, cut to the caller's buffer size as the
    // platform does for fonts.
    int Describe(int size, void* buffer) const override;

    const LOGFONTW logFont;
    const std::shared_ptr<const FontFace> face;
};

// Registers a font for the LOGFONT and returns its handle, or null.
HFONT MakeFont(const LOGFONTW& logFont);

// The face a DC draws with: that of its selected font, or the default GUI
// font's when the DC holds none.
const FontFace& SelectedFace(const gdi::DeviceContext& dc);

// The LOGFONT of the default GUI font: the house face at 8 points.
LOGFONTW DefaultGuiLogFont();

}  // namespace vareko::text

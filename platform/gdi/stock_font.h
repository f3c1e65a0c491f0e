// Hook through which GetStockObject obtains the stock fonts (SYSTEM_FONT,
// DEFAULT_GUI_FONT, ...). Declared here and defined by the text layer in
// platform/text/, which owns the font objects; the graphics layer never
// looks inside a font.
#pragma once

#include "platform/gdi/gdi_types.h"

namespace vareko::gdi {

// The stock font for a font stock index, created on first use as a stock
// object (RegisterStockObject); null for an index that names no font.
HGDIOBJ StockFont(int index);

}  // namespace vareko::gdi

// Test helper: a page that renders the objects added to it and reads a part
// of its frame back as rows of '#' (white) and '.' (black). Test code only.
#pragma once

#include <string>
#include <vector>

#include "display/devicelink/device_bitmap.h"
#include "toolkit/page_base.h"

namespace vareko::test {

class Stage {
  public:
    Stage() { page.Initialize(); }

    void Add(DisplayObject& object) { page.AddObject(&object); }

    // Renders the page and returns the rows of (x, y, x + cx, y + cy).
    std::vector<std::string> Render(int x, int y, int cx, int cy) {
        page.Render();
        const DeviceBitmap* frame = page.GetDeviceBitmap();
        std::vector<std::string> rows;
        for (int row = y; row < y + cy; ++row) {
            std::string line;
            for (int column = x; column < x + cx; ++column) {
                line += IsWhitePixel(frame->pixels[row * kDisplayWidth + column]) ? '#' : '.';
            }
            rows.push_back(line);
        }
        return rows;
    }

    PageBase page;
};

}  // namespace vareko::test

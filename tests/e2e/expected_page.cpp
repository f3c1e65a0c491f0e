// In-process rendering of expected dashboard pages.
#include "tests/e2e/expected_page.h"

#include <algorithm>

#include "display/manager_page.h"

namespace vareko::e2e {
namespace {

constexpr int kLineHeightPx = 12;  // size class 0, one line

struct Box {
    int left, top, right, bottom;  // half-open, clipped to the panel
};

Box BoxOf(const PageObjectRow& row) {
    return {std::max(row.x, 0), std::max(row.y, 0), std::min(row.x + row.width, kDisplayWidth),
            std::min(row.y + kLineHeightPx, kDisplayHeight)};
}

}  // namespace

PageTexts LabelsOnly(std::span<const PageObjectRow> rows) {
    PageTexts texts;
    for (const PageObjectRow& row : rows) {
        texts.push_back(row.label ? std::optional<std::wstring>(row.label) : std::nullopt);
    }
    return texts;
}

Panel RenderExpectedPage(std::span<const PageObjectRow> rows, const PageTexts& texts) {
    ManagerPage page(nullptr, kDisplayWidth, kDisplayHeight);
    page.Initialize();
    page.StartTimer(0xFFFFFFFF);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PageObjectRow& row = rows[i];
        const ObjectHandle h = page.CreateTextObject(static_cast<TextKind>(row.kind), SizeClass::Small,
                                                     static_cast<UINT>(row.alignment), row.width);
        page.SetObjectOrigin(h, row.x, row.y);
        if (i < texts.size() && texts[i]) page.SetObjectText(h, texts[i]->c_str());
    }
    page.Render();
    return ToPanel(page.GetDeviceBitmap()->pixels);
}

std::string DifferingBoxes(std::span<const PageObjectRow> rows, const Panel& actual, const Panel& expected) {
    std::string list;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Box b = BoxOf(rows[i]);
        bool differs = false;
        for (int y = b.top; y < b.bottom && !differs; ++y) {
            for (int x = b.left; x < b.right && !differs; ++x) {
                const auto p = static_cast<std::size_t>(y * kDisplayWidth + x);
                differs = actual[p] != expected[p];
            }
        }
        if (differs) list += " " + std::to_string(i);
    }
    return list.empty() ? "none" : list;
}

void MaskBox(std::span<const PageObjectRow> rows, std::size_t row, Panel& panel) {
    const Box b = BoxOf(rows[row]);
    for (int y = b.top; y < b.bottom; ++y) {
        for (int x = b.left; x < b.right; ++x) panel[static_cast<std::size_t>(y * kDisplayWidth + x)] = false;
    }
}

}  // namespace vareko::e2e

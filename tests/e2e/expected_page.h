// The picture a dashboard page should show, rendered in this process by the
// toolkit: a manager page (a PageBase) holding text objects made from the
// dashboard's own layout table, with the texts the test expects in them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/dashboard_pages.h"
#include "tests/e2e/e2e_harness.h"

namespace vareko::e2e {

// texts[i] is the text of row i, or nullopt for a value object that was never
// written (it keeps its initial blank).
using PageTexts = std::vector<std::optional<std::wstring>>;

// The labels of the page, nothing else written.
PageTexts LabelsOnly(std::span<const PageObjectRow> rows);

Panel RenderExpectedPage(std::span<const PageObjectRow> rows, const PageTexts& texts);

// Row indices whose boxes differ between two panels, for failure messages.
std::string DifferingBoxes(std::span<const PageObjectRow> rows, const Panel& actual, const Panel& expected);

// Clears the box of row `row` in a panel (a streaming text that moves by time).
void MaskBox(std::span<const PageObjectRow> rows, std::size_t row, Panel& panel);

}  // namespace vareko::e2e

// The house style of the manager page's text size classes: line height,
// point size, weight and content offset; every page text uses the house face
// (text::kHouseFaceName).
// The manager page styles its texts from this table; pictures and tests that
// draw text as the pages do read it from here.
#pragma once

#include <iterator>

#include "platform/text/house_font.h"

namespace vareko {

// Size classes. Any other value is styled as Medium.
enum class SizeClass : int { Small = 0, Medium = 1, Large = 2 };

struct SizeClassStyle {
    int lineHeight;  // box height of one line, pixels
    int pointSize;
    int weight;      // 0 leaves the font's own
    int offsetY;     // pulls the text up inside its box
};

// Indexed by SizeClass.
inline constexpr SizeClassStyle kSizeClassStyles[] = {
    {12, 7, 0, -3},     // Small
    {13, 8, 0, -2},     // Medium
    {20, 12, 700, -4},  // Large, bold
};

constexpr bool IsKnownSizeClass(SizeClass sizeClass) {
    const int index = static_cast<int>(sizeClass);
    return index >= 0 && index < static_cast<int>(std::size(kSizeClassStyles));
}

constexpr const SizeClassStyle& StyleOf(SizeClass sizeClass) {
    return kSizeClassStyles[static_cast<int>(IsKnownSizeClass(sizeClass) ? sizeClass : SizeClass::Medium)];
}

}  // namespace vareko

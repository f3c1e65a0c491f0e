// The text of a displayed figure: the value cut toward zero to an integer,
// written in decimal and limited to its first 6 characters. Pure functions,
// no display; DashboardApp hands the text on.
#pragma once

#include <array>

#include "platform/win32.h"

namespace vareko {

constexpr int kFigureCharacters = 6;

// The figure's text, NUL-terminated. Values whose integer part fits a 32-bit
// int are written as "%d" would write them. Larger finite values are written
// the same way from their exact integer part (so 3e9 shows "300000", the
// leading digits, as 1234567 shows "123456"); infinities show "INF" or
// "-INF" and a value that is not a number "NaN".
std::array<WCHAR, kFigureCharacters + 1> FigureText(float value);

}  // namespace vareko

#pragma once

#include <cstdint>
#include <string_view>

#include "app/pages/GrayCanvas.h"

// A 5x7 dot font for printable ASCII, drawn in cells of 6x9 dots (a column
// and two rows of space), each dot `scale` dots square. Characters outside
// printable ASCII are drawn as '?'.
namespace bitmap_font {
inline constexpr int kCellWidth = 6;
inline constexpr int kCellHeight = 9;

int TextWidth(std::string_view text, int scale);
// Draws the text with its top-left corner at (x, y); returns the x after it.
int DrawText(GrayCanvas& canvas, int x, int y, std::string_view text, int scale, uint8_t gray);
}  // namespace bitmap_font

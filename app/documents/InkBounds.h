#pragma once

#include "app/documents/GrayImage.h"

// The smallest rectangle holding every inked pixel (darker than light
// gray); empty (width 0) on a blank page.
PixelRect InkBounds(const GrayImage& image);
// Whether any ink lies outside `area`.
bool InkOutside(const GrayImage& image, const PixelRect& area);
// The full-width band from the first to the last row that is not blank
// paper (a stricter white than ink: faint shading still prints); empty
// (height 0) on a blank page.
PixelRect PaperRows(const GrayImage& image);
GrayImage CropImage(const GrayImage& image, const PixelRect& rect);

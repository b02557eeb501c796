#pragma once

#include "app/documents/GrayImage.h"

// The smallest rectangle holding every inked pixel (darker than light
// gray); empty (width 0) on a blank page.
PixelRect InkBounds(const GrayImage& image);
GrayImage CropImage(const GrayImage& image, const PixelRect& rect);

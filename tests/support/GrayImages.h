#pragma once

#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

// Fills image with an 8-bit gray picture (identity palette); values holds
// width * height gray levels, row 0 first.
void MakeGrayImage(CRasterImage& image, int width, int height, const std::vector<int>& values);

// The pixel bits of a 1-bit image, row 0 first, one entry (0 or 1) per pixel.
std::vector<int> ReadBits(const CRasterImage& image);

// The pixel bytes of an 8-bit image without row padding.
std::vector<int> ReadBytes(const CRasterImage& image);

#pragma once

#include <cstdint>

#include "image/RasterImage.h"

// Luminance of a color; the weights add up to 1024, so white stays 255.
inline uint8_t GrayLevel(uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint8_t>((blue * 117 + green * 601 + red * 306) >> 10);
}

// Turns the image into 8-bit gray before it is reduced to 1 bit. When the gray
// copy could not be allocated the image keeps its depth; reading its packed or
// colour rows as gray levels would print garbage, so this reports the failure
// with the message the allocation gave.
inline bool MakeGrayForReduction(CRasterImage& image) {
    image.GrayScale();
    if (image.GetBpp() == 8) return true;
    image.SetLastError(CRasterImage::FitsMemoryCap(image.GetWidth(), image.GetHeight(), 8)
                           ? "CRasterImage::Create can't allocate memory"
                           : "RASTERIMAGE_MAX_MEMORY exceeded");
    return false;
}

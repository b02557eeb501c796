#pragma once

#include <cstdint>

struct DriverInfo;

// Sizes in dots at the driver's resolution.
struct DotSize {
    uint64_t width = 0;
    uint64_t length = 0;
};

// The widest and the longest of the driver's media: in practice its roll's
// maximum.
DotSize LargestMedium(const DriverInfo& driver);
// Whether a raster page of this size fits the largest medium, give or take
// a millimetre for clients that round sizes through points.
bool PageFits(const DriverInfo& driver, uint64_t width, uint64_t height);
// The most pixels an image for the driver may have: four times the largest
// medium, so images of twice the printer's resolution still fit after
// scaling down.
uint64_t ImagePixelLimit(const DriverInfo& driver);

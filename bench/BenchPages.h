#pragma once

#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

// Realistic 8-bit gray test pages: white margins, lines of text-like
// strokes, thin bars and a gradient box.
struct BenchPageSize {
    uint32_t width;
    uint32_t height;
    int dpi;
};

constexpr BenchPageSize kLabel4x6{812, 1218, 203};
constexpr BenchPageSize kA4At300{2480, 3508, 300};

std::vector<uint8_t> MakeBenchGray(const BenchPageSize& size);
std::vector<uint8_t> MakeBenchRgb(const BenchPageSize& size);
// A photo-like page: mid tones everywhere (two gradients and some noise), the
// hardest case for error diffusion.
std::vector<uint8_t> MakeBenchPhoto(const BenchPageSize& size);

// The page as an 8-bit gray image, and as the 1-bit page the pipeline makes.
void LoadGrayPage(CRasterImage& image, const BenchPageSize& size);
void LoadOneBitPage(CRasterImage& image, const BenchPageSize& size);
void LoadPhotoPage(CRasterImage& image, const BenchPageSize& size);

#include "bench/BenchPages.h"

#include <random>

namespace {
void Fill(std::vector<uint8_t>& px, uint32_t w, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1,
          uint8_t v) {
    for (uint32_t y = y0; y < y1; y++)
        for (uint32_t x = x0; x < x1; x++) px[static_cast<size_t>(y) * w + x] = v;
}
}  // namespace

std::vector<uint8_t> MakeBenchGray(const BenchPageSize& s) {
    std::vector<uint8_t> px(static_cast<size_t>(s.width) * s.height, 255);
    std::mt19937 rng(12345);
    const uint32_t margin = s.width / 12;
    const uint32_t glyph = s.dpi / 12;  // about 2 mm characters
    // Text: rows of glyph-sized strokes with gaps between words.
    for (uint32_t y = margin; y + glyph < s.height / 2; y += glyph * 2) {
        for (uint32_t x = margin; x + glyph < s.width - margin; x += glyph) {
            if (rng() % 7 == 0) continue;
            uint32_t stroke = 1 + rng() % (glyph / 4 + 1);
            Fill(px, s.width, x, y, x + stroke, y + glyph, 0);
            Fill(px, s.width, x, y + glyph - stroke, x + glyph - 2, y + glyph, 0);
        }
    }
    // Barcode-like thin bars.
    uint32_t top = s.height / 2 + margin / 2;
    for (uint32_t x = margin; x < s.width - margin; x += 2 + rng() % 6)
        Fill(px, s.width, x, top, x + 1 + rng() % 3, top + s.height / 10, 0);
    // Gradient box.
    uint32_t gy = top + s.height / 10 + margin / 2;
    for (uint32_t y = gy; y < gy + s.height / 6 && y < s.height - margin; y++)
        for (uint32_t x = margin; x < s.width - margin; x++)
            px[static_cast<size_t>(y) * s.width + x] =
                static_cast<uint8_t>(255 * (x - margin) / (s.width - 2 * margin));
    return px;
}

std::vector<uint8_t> MakeBenchRgb(const BenchPageSize& s) {
    std::vector<uint8_t> gray = MakeBenchGray(s);
    std::vector<uint8_t> rgb(gray.size() * 3);
    for (size_t i = 0; i < gray.size(); i++) {
        rgb[3 * i] = gray[i];
        rgb[3 * i + 1] = static_cast<uint8_t>(gray[i] / 2 + 64);
        rgb[3 * i + 2] = gray[i];
    }
    return rgb;
}

std::vector<uint8_t> MakeBenchPhoto(const BenchPageSize& s) {
    std::vector<uint8_t> px(static_cast<size_t>(s.width) * s.height);
    std::mt19937 rng(777);
    for (uint32_t y = 0; y < s.height; y++)
        for (uint32_t x = 0; x < s.width; x++) {
            uint32_t v = 24 + 104 * x / s.width + 104 * y / s.height + rng() % 24;
            px[static_cast<size_t>(y) * s.width + x] = static_cast<uint8_t>(v);
        }
    return px;
}

namespace {
// Loads one of the two page sizes from pages made once per process.
void LoadPage(CRasterImage& image, const BenchPageSize& s,
              std::vector<uint8_t> (*make)(const BenchPageSize&), std::vector<uint8_t>& label,
              std::vector<uint8_t>& a4) {
    std::vector<uint8_t>& px = s.width == kA4At300.width ? a4 : label;
    if (px.empty()) px = make(s);
    image.CreateFromArray(px.data(), s.width, s.height, 8, s.width, false);
    image.SetXDPI(s.dpi);
    image.SetYDPI(s.dpi);
}
}  // namespace

void LoadPhotoPage(CRasterImage& image, const BenchPageSize& s) {
    static std::vector<uint8_t> label, a4;
    LoadPage(image, s, MakeBenchPhoto, label, a4);
}

void LoadGrayPage(CRasterImage& image, const BenchPageSize& s) {
    static std::vector<uint8_t> label, a4;
    LoadPage(image, s, MakeBenchGray, label, a4);
}

void LoadOneBitPage(CRasterImage& image, const BenchPageSize& s) {
    LoadGrayPage(image, s);
    image.Dither(2);
}

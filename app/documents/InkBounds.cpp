#include "app/documents/InkBounds.h"

#include <algorithm>
#include <cstring>

namespace {
// Anti-aliased edges and faint backgrounds are not content.
constexpr uint8_t kInk = 224;
// Paper: white give or take the noise of a JPEG; lighter than anything a
// dither turns into more than a stray dot.
constexpr uint8_t kPaper = 248;

bool BlankRow(const uint8_t* row, int width) {
    return std::all_of(row, row + width, [](uint8_t v) { return v >= kPaper; });
}
}  // namespace

PixelRect InkBounds(const GrayImage& image) {
    int left = image.width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height; y++) {
        const uint8_t* row = image.Row(y);
        int first = -1, last = -1;
        for (int x = 0; x < image.width; x++)
            if (row[x] < kInk) {
                if (first < 0) first = x;
                last = x;
            }
        if (first < 0) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0) return PixelRect{};
    return PixelRect{left, top, right - left + 1, bottom - top + 1};
}

bool InkOutside(const GrayImage& image, const PixelRect& area) {
    const PixelRect ink = InkBounds(image);
    return ink.width > 0 &&
           (ink.x < area.x || ink.y < area.y || ink.x + ink.width > area.x + area.width ||
            ink.y + ink.height > area.y + area.height);
}

PixelRect PaperRows(const GrayImage& image) {
    int top = 0, bottom = image.height;
    while (top < bottom && BlankRow(image.Row(top), image.width)) top++;
    while (bottom > top && BlankRow(image.Row(bottom - 1), image.width)) bottom--;
    return PixelRect{0, top, image.width, bottom - top};
}

GrayImage CropImage(const GrayImage& image, const PixelRect& r) {
    GrayImage out(r.width, r.height);
    for (int y = 0; y < r.height; y++)
        std::memcpy(out.Row(y), image.Row(r.y + y) + r.x, size_t(r.width));
    return out;
}

#include <algorithm>
#include <cstring>

#include "image/ContentDots.h"
#include "image/DotLength.h"
#include "image/WormFreeDither.h"
#include "render/BaseRender.h"

void CBaseRender::PreparePage() {
    if (!bInitialized) {
        OnInit();
        bInitialized = true;
    }
    AdjustImage();
}

void CBaseRender::AdjustImage() {
    if (image.GetBpp() > 23) image.GrayScale();
    if (halftone.iLiangdu != 0 || halftone.iDuibidu != 0)
        image.Light(halftone.iLiangdu, halftone.iDuibidu);
    ReduceToDots();
    if (reg.iScale != 100) {
        uint32_t scale = static_cast<uint32_t>(reg.iScale);
        image.Resample(static_cast<int32_t>(image.GetWidth() * scale / 100),
                       static_cast<int32_t>(image.GetHeight() * scale / 100), 1, nullptr);
    }
    CropWhiteEdge(halftone.iCropTopEdge, halftone.iCropBottomEdge, halftone.iCropLeftEdge,
                  halftone.iCropRightEdge);
    if (reg.iMirror) image.Mirror(false, true);
    if (reg.iNegative) Negative();
    switch (reg.iRotate) {
        case 1:
            image.Rotate(180.0f, nullptr);
            break;
        case 2:
            image.Rotate(90.0f, nullptr);
            break;
        case 3:
            image.Rotate(270.0f, nullptr);
            break;
        default:
            break;
    }
    AdjustEffWidthBits();
}

namespace {
// iGrayMethod of the worm-free dither; the others are Dither's methods + 1.
constexpr int32_t kWormFree = 11;
}  // namespace

void CBaseRender::ReduceToDots() {
    if (halftone.iContent >= 1 && halftone.iContent <= 3)
        DotsForContent(image, halftone.iContent == 1   ? PageContent::LineArt
                              : halftone.iContent == 2 ? PageContent::Photo
                                                       : PageContent::Auto);
    else if (halftone.iGrayMethod < 1)
        image.Threshold(static_cast<uint8_t>(halftone.iThreValue & 0xFF));
    else if (halftone.iGrayMethod == kWormFree)
        DitherWormFree(image);
    else
        image.Dither(halftone.iGrayMethod - 1);
}

namespace {
// Mask of the pixel bits in the last, partly used byte of a 1-bit row.
uint8_t LastByteMask(uint32_t width) {
    uint32_t r = width % 8;
    return r == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - r));
}

bool RowHasInk(const uint8_t* row, uint32_t width) {
    uint32_t full = width / 8;
    for (uint32_t i = 0; i < full; i++)
        if (row[i] != 0xFF) return true;
    uint8_t mask = LastByteMask(width);
    return width % 8 != 0 && (row[full] & mask) != mask;
}

// First and last black pixel of a row, or false when the row has none.
bool RowInkSpan(const uint8_t* row, uint32_t width, uint32_t& first, uint32_t& last) {
    bool found = false;
    uint32_t bytes = (width + 7) / 8;
    for (uint32_t i = 0; i < bytes; i++) {
        uint8_t ink = static_cast<uint8_t>(~row[i]);
        if (i == bytes - 1) ink &= LastByteMask(width);
        if (!ink) continue;
        uint32_t lo = i * 8 + static_cast<uint32_t>(__builtin_clz(ink) - 24);
        uint32_t hi = i * 8 + 7 - static_cast<uint32_t>(__builtin_ctz(ink));
        if (!found) first = lo;
        last = hi;
        found = true;
    }
    return found;
}
}  // namespace

void CBaseRender::CropWhiteEdge(int top, int bottom, int left, int right) {
    if (top == 0 && bottom == 0 && left == 0 && right == 0) return;
    if (!image.IsValid() || image.GetBpp() != 1) return;
    if (top < 0) top = 9999;
    if (bottom < 0) bottom = 9999;
    if (left < 0) left = 9999;
    if (right < 0) right = 9999;

    const int32_t W = static_cast<int32_t>(image.GetWidth());
    const int32_t H = static_cast<int32_t>(image.GetHeight());
    // A limit is never negative, whatever resolution the page header claims.
    auto dots = [this](int mm) { return std::max(0, MmToDots(iDpi, mm, DotRounding::Up)); };
    const int dT = dots(top), dB = dots(bottom), dL = dots(left), dR = dots(right);
    int32_t Lc = 0, Rk = W, Bc = 0, Tk = H;

    if (bottom > 0) {
        for (int32_t y = H - 1; y >= 0; y--) {
            if (RowHasInk(image.GetBits(static_cast<uint32_t>(y)), static_cast<uint32_t>(W))) {
                Bc = std::min(H - 1 - y, dB);
                break;
            }
        }
    }
    if (top > 0) {
        for (int32_t y = 0; y < H; y++) {
            if (RowHasInk(image.GetBits(static_cast<uint32_t>(y)), static_cast<uint32_t>(W))) {
                Tk = H - std::min(y, dT);
                break;
            }
        }
    }
    if (left > 0 || right > 0) {
        // The column scans stop at the leftmost and rightmost black pixel of
        // the whole page, which are found row by row.
        bool any = false;
        uint32_t minX = 0, maxX = 0;
        for (int32_t y = 0; y < H; y++) {
            uint32_t first = 0, last = 0;
            if (!RowInkSpan(image.GetBits(static_cast<uint32_t>(y)), static_cast<uint32_t>(W),
                            first, last))
                continue;
            minX = any ? std::min(minX, first) : first;
            maxX = any ? std::max(maxX, last) : last;
            any = true;
        }
        if (any && left > 0) Lc = std::min(static_cast<int32_t>(minX), dL);
        if (any && right > 0) {
            long long keep = std::max<long long>(static_cast<long long>(maxX) + 1,
                                                 static_cast<long long>(W) - dR - 1);
            Rk = static_cast<int32_t>(keep);
        }
    }
    if (Lc == 0 && Rk == W && Bc == 0 && Tk == H) return;  // nothing to remove

    CRasterImage cropped(0);
    if (image.Crop(tagRECT{Lc, Bc, Rk, Tk}, &cropped)) image.Transfer(cropped, true);
}

void CBaseRender::Negative() {
    uint8_t* bits = image.GetBits(0);
    if (!bits) return;
    size_t n = static_cast<size_t>(image.GetEffWidth()) * image.GetHeight();
    for (size_t i = 0; i < n; i++) bits[i] = static_cast<uint8_t>(~bits[i]);
}

void CBaseRender::AdjustEffWidthBits() {
    uint8_t* bits = image.GetBits(0);
    if (!bits) return;
    const uint32_t W = image.GetWidth(), E = image.GetEffWidth();
    const uint32_t n = W / 8, r = W % 8;
    if (n >= E) return;
    for (uint32_t y = 0; y < image.GetHeight(); y++) {
        uint8_t* row = bits + static_cast<size_t>(y) * E;
        if (r == 0) {
            std::memset(row + n, 0xFF, E - n);
        } else {
            row[n] |= static_cast<uint8_t>(0xFF >> r);
            std::memset(row + n + 1, 0xFF, E - n - 1);
        }
    }
}

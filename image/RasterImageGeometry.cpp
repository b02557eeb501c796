#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "image/BitRows.h"
#include "image/RasterImage.h"

// Mirroring, rotation, scaling and cropping. Each operation fills a temporary
// image with the result and moves it into the target with Transfer.

namespace {
struct Point {
    int32_t x;
    int32_t y;
};

// Truncation toward zero; values beyond the int range (never a pixel inside
// an image) become -1, which reads the same out-of-range value.
int32_t TruncToInt(double v) {
    return (v > -2147483649.0 && v < 2147483648.0) ? static_cast<int32_t>(v) : -1;
}

// Result pixel (x, y) = source pixel map(x, y), for planes of `bytes`-byte
// pixels.
template <class Map>
void RemapBytes(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride,
                uint32_t bytes, uint32_t width, uint32_t height, Map map) {
    for (uint32_t y = 0; y < height; y++) {
        uint8_t* d = dst + y * dstStride;
        for (uint32_t x = 0; x < width; x++, d += bytes) {
            const Point p = map(static_cast<int32_t>(x), static_cast<int32_t>(y));
            std::memcpy(
                d, src + static_cast<size_t>(p.y) * srcStride + static_cast<size_t>(p.x) * bytes,
                bytes);
        }
    }
}

// The same over the pixels of a 4-, 8- or 24-bit image.
template <class Map>
void RemapPixels(const CRasterImage& src, CRasterImage& dst, Map map) {
    const auto w = static_cast<int32_t>(dst.GetWidth()), h = static_cast<int32_t>(dst.GetHeight());
    if (src.GetBpp() == 4) {
        for (int32_t y = 0; y < h; y++)
            for (int32_t x = 0; x < w; x++) {
                const Point p = map(x, y);
                dst.BlindSetPixelIndex(x, y, src.BlindGetPixelIndex(p.x, p.y));
            }
    } else if (src.GetBpp() >= 8) {
        RemapBytes(src.GetBits(0), src.GetEffWidth(), dst.GetBits(0), dst.GetEffWidth(),
                   src.GetBpp() / 8u, dst.GetWidth(), dst.GetHeight(), map);
    }
}

// The same over the alpha planes, when both images have one.
template <class Map>
void RemapAlpha(const CRasterImage& src, CRasterImage& dst, Map map) {
    if (src.AlphaIsValid() && dst.AlphaIsValid())
        RemapBytes(src.AlphaGetPointer(), src.GetWidth(), dst.AlphaGetPointer(), dst.GetWidth(), 1,
                   dst.GetWidth(), dst.GetHeight(), map);
}

// A temporary that could not be created passes its reason on to the image.
bool TempFailed(CRasterImage& image, const CRasterImage& temp) {
    if (temp.IsValid()) return false;
    image.SetLastError(temp.GetLastError());
    return true;
}

bool Deliver(CRasterImage& image, CRasterImage& temp, CRasterImage* destination) {
    (destination ? *destination : image).Transfer(temp, true);
    return true;
}

// Quarter turn of a 1-bit image: result rows are source columns.
void TurnBits(const CRasterImage& src, CRasterImage& dst, bool clockwise) {
    const uint32_t w = src.GetWidth(), h = src.GetHeight();
    std::vector<const uint8_t*> srcRows(h);
    for (uint32_t r = 0; r < h; r++) srcRows[r] = src.GetBits(clockwise ? r : h - 1 - r);
    std::vector<uint8_t*> dstRows(w);
    for (uint32_t c = 0; c < w; c++) dstRows[c] = dst.GetBits(clockwise ? w - 1 - c : c);
    TransposeBitRows(srcRows, w, dstRows);
}

// Placement of an image rotated by a free angle: the bounding box of the
// rotated corners (single precision) and the rotation's cosine and sine.
struct RotatedFrame {
    double c = 1, s = 0;
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    uint32_t width = 0, height = 0;
};

bool FrameFor(double angle, uint32_t w, uint32_t h, RotatedFrame& f) {
    const double theta = -angle * 1.5707963267948966 / 90;
    f.c = std::cos(theta);
    f.s = std::sin(theta);
    const double xs[4] = {0, static_cast<double>(w), 0, static_cast<double>(w)};
    const double ys[4] = {0, 0, static_cast<double>(h), static_cast<double>(h)};
    for (int i = 0; i < 4; i++) {
        const auto x = static_cast<float>(xs[i] * f.c - ys[i] * f.s);
        const auto y = static_cast<float>(xs[i] * f.s + ys[i] * f.c);
        f.minX = std::min(f.minX, x);
        f.maxX = std::max(f.maxX, x);
        f.minY = std::min(f.minY, y);
        f.maxY = std::max(f.maxY, y);
    }
    // Keep every coordinate of the loops below within the int range.
    constexpr float kLimit = 2147483000.0f;
    if (!(std::max({-f.minX, f.maxX, -f.minY, f.maxY}) < kLimit)) return false;
    const double width = std::floor(static_cast<double>((f.maxX + 0.5f) - f.minX));
    const double height = std::floor(static_cast<double>((f.maxY + 0.5f) - f.minY));
    if (width > 2147483647.0 || height > 2147483647.0) return false;
    f.width = static_cast<uint32_t>(width);
    f.height = static_cast<uint32_t>(height);
    return true;
}

// Fills the result by sampling the source at each result pixel turned back;
// the loops may run one row and column past the result, where writes are
// ignored.
void FillRotated(const CRasterImage& src, CRasterImage& dst, const RotatedFrame& f) {
    const bool indexed = src.GetNumColors() != 0;
    const auto x0 = static_cast<int32_t>(f.minX), x1 = static_cast<int32_t>(f.maxX);
    const auto y0 = static_cast<int32_t>(f.minY), y1 = static_cast<int32_t>(f.maxY);
    for (int32_t y = y0, Y = 0; y <= y1; y++, Y++) {
        for (int32_t x = x0, X = 0; x <= x1; x++, X++) {
            const int32_t sx = TruncToInt(x * f.c + y * f.s + 0.5);
            const int32_t sy = TruncToInt(y * f.c - x * f.s + 0.5);
            if (indexed)
                dst.SetPixelIndex(X, Y, src.GetPixelIndex(sx, sy));
            else
                dst.SetPixelColor(X, Y, src.GetPixelColor(sx, sy, true), false);
            dst.AlphaSet(X, Y, src.AlphaGet(sx, sy));
        }
    }
}

// Copies columns x0 … x0 + result width - 1 of source rows y0 … into the
// result.
void CopySpan(const CRasterImage& src, CRasterImage& dst, int32_t x0, int32_t y0) {
    const uint32_t w = dst.GetWidth(), h = dst.GetHeight(), bpp = src.GetBpp();
    for (uint32_t y = 0; y < h; y++) {
        const uint8_t* s = src.GetBits(y0 + y);
        uint8_t* d = dst.GetBits(y);
        if (bpp == 1) {
            ExtractBitRow(s, static_cast<uint32_t>(x0), w, d);
        } else if (bpp == 4) {
            for (uint32_t x = 0; x < w; x++)
                dst.BlindSetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                       src.BlindGetPixelIndex(x0 + static_cast<int32_t>(x),
                                                              y0 + static_cast<int32_t>(y)));
        } else {
            std::memcpy(d, s + bpp * static_cast<uint32_t>(x0) / 8, w * bpp / 8);
        }
    }
}
}  // namespace

// The temporary that holds a result: the source's attributes, depth and
// palette at the new size. Callers check IsValid.
void CRasterImage::PrepareLike(const CRasterImage& src, uint32_t width, uint32_t height) {
    CopyInfo(src);
    Create(width, height, src.GetBpp(), src.GetType());
    SetPalette(src.GetPalette(), 256);
}

bool CRasterImage::Mirror(bool /*mirrorSelection*/, bool mirrorAlpha) {
    if (!m_pDib) return false;
    CRasterImage temp(*this, false, true, true);
    if (!temp.IsValid()) return false;
    const auto w = static_cast<int32_t>(GetWidth());
    if (GetBpp() == 1) {
        for (uint32_t y = 0; y < GetHeight(); y++) ReverseBitRow(GetBits(y), temp.GetBits(y), w);
    } else {
        RemapPixels(*this, temp, [w](int32_t x, int32_t y) { return Point{w - 1 - x, y}; });
    }
    if (mirrorAlpha) temp.AlphaMirror();
    Transfer(temp, true);
    return true;
}

bool CRasterImage::Rotate180(CRasterImage* destination) {
    if (!m_pDib) return false;
    const auto w = static_cast<int32_t>(GetWidth()), h = static_cast<int32_t>(GetHeight());
    CRasterImage temp;
    temp.PrepareLike(*this, GetWidth(), GetHeight());
    if (TempFailed(*this, temp)) return false;
    if (m_pAlpha && !temp.AlphaCreate()) return false;
    auto map = [w, h](int32_t x, int32_t y) { return Point{w - 1 - x, h - 1 - y}; };
    if (GetBpp() == 1) {
        for (int32_t y = 0; y < h; y++)
            ReverseBitRow(GetBits(static_cast<uint32_t>(y)), temp.GetBits(h - 1 - y), w);
    } else {
        RemapPixels(*this, temp, map);
    }
    RemapAlpha(*this, temp, map);
    return Deliver(*this, temp, destination);
}

// Exact quarter turn. Clockwise (90 degrees): result pixel (X, Y) = source
// pixel (W - 1 - Y, X); otherwise (270 degrees): source pixel (Y, H - 1 - X).
bool CRasterImage::QuarterTurn(bool clockwise, CRasterImage* destination) {
    const auto w = static_cast<int32_t>(GetWidth()), h = static_cast<int32_t>(GetHeight());
    CRasterImage temp;
    temp.PrepareLike(*this, GetHeight(), GetWidth());
    if (TempFailed(*this, temp)) return false;
    if (m_pAlpha && !temp.AlphaCreate()) return false;
    auto map = [w, h, clockwise](int32_t x, int32_t y) {
        return clockwise ? Point{w - 1 - y, x} : Point{y, h - 1 - x};
    };
    if (GetBpp() == 1)
        TurnBits(*this, temp, clockwise);
    else
        RemapPixels(*this, temp, map);
    RemapAlpha(*this, temp, map);
    return Deliver(*this, temp, destination);
}

bool CRasterImage::Rotate(float angle, CRasterImage* destination) {
    if (!m_pDib || !std::isfinite(angle)) return false;
    const double a = angle;
    if (std::fmod(a, 180.0) == 0 && std::fmod(a, 360.0) != 0) return Rotate180(destination);
    double turn = std::fmod(a, 360.0);
    if (turn < 0) turn += 360.0;
    if (turn == 90.0) return QuarterTurn(true, destination);
    if (turn == 270.0) return QuarterTurn(false, destination);

    RotatedFrame frame;
    if (!FrameFor(a, GetWidth(), GetHeight(), frame)) return false;
    CRasterImage temp;
    temp.PrepareLike(*this, frame.width, frame.height);
    if (TempFailed(*this, temp)) return false;
    if (m_pAlpha) {
        if (!temp.AlphaCreate()) return false;
        temp.AlphaClear();
    }
    FillRotated(*this, temp, frame);
    return Deliver(*this, temp, destination);
}

bool CRasterImage::Resample(int32_t newWidth, int32_t newHeight, int32_t mode,
                            CRasterImage* destination) {
    if (newWidth <= 0 || newHeight <= 0 || mode != 1) return false;
    const auto w = static_cast<uint32_t>(newWidth), h = static_cast<uint32_t>(newHeight);
    if (w == GetWidth() && h == GetHeight()) {
        if (destination && destination != this) destination->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = static_cast<float>(GetWidth()) / static_cast<float>(newWidth);
    const float yScale = static_cast<float>(GetHeight()) / static_cast<float>(newHeight);
    CRasterImage temp;
    temp.PrepareLike(*this, w, h);
    if (TempFailed(*this, temp)) return false;
    if (m_pAlpha && !temp.AlphaCreate()) return false;
    for (int32_t y = 0; y < newHeight; y++) {
        const int32_t sy = TruncToInt(static_cast<float>(y) * yScale);
        for (int32_t x = 0; x < newWidth; x++) {
            const int32_t sx = TruncToInt(static_cast<float>(x) * xScale);
            temp.SetPixelColor(x, y, GetPixelColor(sx, sy, true), false);
            temp.AlphaSet(x, y, AlphaGet(sx, sy));
        }
    }
    return Deliver(*this, temp, destination);
}

// The rectangle's top and bottom count from the top of the picture, that is
// from the last stored row.
bool CRasterImage::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        CRasterImage* destination) {
    if (!m_pDib) return false;
    const auto w = static_cast<int32_t>(GetWidth()), h = static_cast<int32_t>(GetHeight());
    int32_t x0 = std::clamp(left, 0, w), x1 = std::clamp(right, 0, w);
    int32_t y0 = h - std::clamp(top, 0, h), y1 = h - std::clamp(bottom, 0, h);
    if (x0 == x1 || y0 == y1) return false;
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);

    CRasterImage temp;
    temp.CopyInfo(*this);
    temp.Create(static_cast<uint32_t>(x1 - x0), static_cast<uint32_t>(y1 - y0), GetBpp(),
                GetType());
    if (TempFailed(*this, temp)) return false;
    temp.SetPalette(GetPalette(), GetNumColors());
    CopySpan(*this, temp, x0, y0);
    if (m_pAlpha) {
        if (!temp.AlphaCreate()) return false;
        const size_t n = static_cast<size_t>(x1 - x0);
        for (int32_t y = y0; y < y1; y++)
            std::memcpy(temp.m_pAlpha + static_cast<size_t>(y - y0) * n,
                        m_pAlpha + static_cast<size_t>(y) * GetWidth() + x0, n);
    }
    return Deliver(*this, temp, destination);
}

bool CRasterImage::Crop(const tagRECT& rect, CRasterImage* destination) {
    return Crop(rect.left, rect.top, rect.right, rect.bottom, destination);
}

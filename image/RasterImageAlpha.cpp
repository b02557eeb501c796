#include <cstdlib>
#include <cstring>
#include <utility>

#include "image/RasterImage.h"

// The alpha plane: one byte per pixel, rows of exactly width bytes.

bool CRasterImage::AlphaCreate() {
    if (!m_pAlpha) {
        size_t n = static_cast<size_t>(GetWidth()) * GetHeight();
        if (n == 0) return false;
        m_pAlpha = static_cast<uint8_t*>(std::malloc(n));
        if (m_pAlpha) std::memset(m_pAlpha, 255, n);
    }
    return m_pAlpha != nullptr;
}

void CRasterImage::AlphaDelete() {
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
}

void CRasterImage::AlphaClear() {
    if (m_pAlpha) std::memset(m_pAlpha, 0, static_cast<size_t>(GetWidth()) * GetHeight());
}

void CRasterImage::AlphaSet(int32_t x, int32_t y, uint8_t a) {
    if (m_pAlpha && IsInside(x, y)) m_pAlpha[static_cast<size_t>(y) * GetWidth() + x] = a;
}

uint8_t CRasterImage::AlphaGet(int32_t x, int32_t y) const {
    if (m_pAlpha && IsInside(x, y)) return m_pAlpha[static_cast<size_t>(y) * GetWidth() + x];
    return 0;
}

uint8_t CRasterImage::BlindAlphaGet(int32_t x, int32_t y) const {
    return m_pAlpha[static_cast<size_t>(y) * GetWidth() + x];
}

bool CRasterImage::AlphaCopy(const CRasterImage& src) {
    if (!src.m_pAlpha || src.GetWidth() != GetWidth() || src.GetHeight() != GetHeight())
        return false;
    size_t n = static_cast<size_t>(GetWidth()) * GetHeight();
    if (!m_pAlpha) m_pAlpha = static_cast<uint8_t*>(std::malloc(n));
    if (!m_pAlpha) return false;
    std::memcpy(m_pAlpha, src.m_pAlpha, n);
    return true;
}

bool CRasterImage::AlphaSet(const CRasterImage& src) {
    if (!src.IsGrayScale() || src.GetWidth() != GetWidth() || src.GetHeight() != GetHeight())
        return false;
    size_t w = GetWidth();
    if (!m_pAlpha) m_pAlpha = static_cast<uint8_t*>(std::malloc(w * GetHeight()));
    if (!m_pAlpha || !src.m_pDib) return false;
    for (uint32_t y = 0; y < GetHeight(); y++) std::memcpy(m_pAlpha + y * w, src.GetBits(y), w);
    return true;
}

bool CRasterImage::AlphaSplit(CRasterImage* dst) {
    if (!m_pAlpha || !dst) return false;
    CRasterImage temp(GetWidth(), GetHeight(), 8, 0);
    if (!temp.IsValid()) {
        SetLastError(temp.GetLastError());
        return false;
    }
    size_t w = GetWidth();
    for (uint32_t y = 0; y < GetHeight(); y++) std::memcpy(temp.GetBits(y), m_pAlpha + y * w, w);
    temp.SetGrayPalette();
    dst->Transfer(temp, true);
    return true;
}

bool CRasterImage::AlphaMirror() {
    if (!m_pAlpha) return false;
    size_t w = GetWidth();
    for (uint32_t y = 0; y < GetHeight(); y++) {
        uint8_t* row = m_pAlpha + y * w;
        for (size_t a = 0, b = w - 1; a < b; a++, b--) std::swap(row[a], row[b]);
    }
    return true;
}

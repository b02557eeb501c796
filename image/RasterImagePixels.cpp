#include <cstring>

#include "image/RasterImage.h"

// Pixel and palette access. Pixel (x, y) lives in stored row y; at 1 bit the
// most significant bit of a byte is the leftmost pixel.

uint8_t CRasterImage::BlindGetPixelIndex(int32_t x, int32_t y) const {
    const uint8_t* row = m_pRows + static_cast<size_t>(y) * m_info.effWidth;
    switch (m_head.biBitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        case 8:
            return row[x];
        default:
            return 0;
    }
}

uint8_t CRasterImage::GetPixelIndex(int32_t x, int32_t y) const {
    if (!m_pDib || m_head.biClrUsed == 0) return 0;
    if (!IsInside(x, y)) {
        if (m_info.transIndex >= 0) return static_cast<uint8_t>(m_info.transIndex);
        return *m_pRows;
    }
    return BlindGetPixelIndex(x, y);
}

void CRasterImage::BlindSetPixelIndex(int32_t x, int32_t y, uint8_t i) {
    uint8_t* row = m_pRows + static_cast<size_t>(y) * m_info.effWidth;
    switch (m_head.biBitCount) {
        case 1: {
            uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
            if (i & 1)
                row[x >> 3] |= mask;
            else
                row[x >> 3] &= static_cast<uint8_t>(~mask);
            break;
        }
        case 4: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (i & 0x0F))
                        : static_cast<uint8_t>((b & 0x0F) | ((i & 0x0F) << 4));
            break;
        }
        case 8:
            row[x] = i;
            break;
        default:
            break;
    }
}

void CRasterImage::SetPixelIndex(int32_t x, int32_t y, uint8_t i) {
    if (!m_pDib || m_head.biClrUsed == 0 || !IsInside(x, y)) return;
    BlindSetPixelIndex(x, y, i);
}

tagRGBQUAD CRasterImage::BlindGetPixelColor(int32_t x, int32_t y, bool getAlpha) const {
    tagRGBQUAD c;
    if (m_head.biClrUsed) {
        c = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const uint8_t* p = m_pRows + static_cast<size_t>(y) * m_info.effWidth + 3 * x;
        c = {p[0], p[1], p[2], 0};
    }
    if (getAlpha && m_pAlpha) c.rgbReserved = BlindAlphaGet(x, y);
    return c;
}

tagRGBQUAD CRasterImage::GetPixelColor(int32_t x, int32_t y, bool getAlpha) const {
    if (!m_pDib) return m_info.background;
    if (!IsInside(x, y)) {
        if (m_info.transIndex >= 0) {
            if (m_head.biClrUsed) return GetPaletteColor(static_cast<uint8_t>(m_info.transIndex));
            return m_info.background;
        }
        return GetPixelColor(0, 0, true);
    }
    return BlindGetPixelColor(x, y, getAlpha);
}

void CRasterImage::BlindSetPixelColor(int32_t x, int32_t y, tagRGBQUAD c, bool setAlpha) {
    if (m_head.biClrUsed) {
        BlindSetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        uint8_t* p = m_pRows + static_cast<size_t>(y) * m_info.effWidth + 3 * x;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
    }
    if (setAlpha) AlphaSet(x, y, c.rgbReserved);
}

void CRasterImage::SetPixelColor(int32_t x, int32_t y, tagRGBQUAD c, bool setAlpha) {
    if (!m_pDib || !IsInside(x, y)) return;
    BlindSetPixelColor(x, y, c, setAlpha);
}

void CRasterImage::SetPixelColor(int32_t x, int32_t y, uint32_t rgb) {
    tagRGBQUAD c = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                    static_cast<uint8_t>(rgb), 0};
    SetPixelColor(x, y, c, false);
}

tagRGBQUAD CRasterImage::GetPaletteColor(uint8_t i) const {
    tagRGBQUAD* pal = GetPalette();
    if (!pal || i >= m_head.biClrUsed) return {0, 0, 0, 0};
    return pal[i];
}

void CRasterImage::SetPaletteColor(uint8_t i, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    SetPaletteColor(i, tagRGBQUAD{b, g, r, alpha});
}

void CRasterImage::SetPaletteColor(uint8_t i, tagRGBQUAD c) {
    tagRGBQUAD* pal = GetPalette();
    if (!pal || i >= m_head.biClrUsed) return;
    pal[i] = c;
    m_info.cacheValid = false;
}

void CRasterImage::SetPalette(const tagRGBQUAD* p, uint32_t n) {
    tagRGBQUAD* pal = GetPalette();
    if (!p || !pal) return;
    uint32_t bytes = n * 4 < GetPaletteSize() ? n * 4 : GetPaletteSize();
    std::memmove(pal, p, bytes);
    m_info.cacheValid = false;
}

void CRasterImage::SetGrayPalette() {
    tagRGBQUAD* pal = GetPalette();
    if (!pal) return;
    uint32_t n = m_head.biClrUsed;
    for (uint32_t i = 0; i < n; i++) {
        auto v = static_cast<uint8_t>((255 / (n - 1)) * i);
        pal[i].rgbBlue = pal[i].rgbGreen = pal[i].rgbRed = v;
    }
    m_info.cacheValid = false;
}

bool CRasterImage::IsGrayScale() const {
    tagRGBQUAD* pal = GetPalette();
    if (!pal) return false;
    for (uint32_t i = 0; i < m_head.biClrUsed; i++)
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i) return false;
    return true;
}

uint8_t CRasterImage::GetNearestIndex(tagRGBQUAD c) {
    tagRGBQUAD* pal = GetPalette();
    if (!pal) return 0;
    if (m_info.cacheValid && std::memcmp(&c, &m_info.cacheColor, sizeof c) == 0)
        return m_info.cacheIndex;
    uint32_t n = m_head.biClrImportant ? m_head.biClrImportant : m_head.biClrUsed;
    if (n > m_head.biClrUsed) n = m_head.biClrUsed;
    int32_t best = 200000;
    uint8_t index = 0;
    for (uint32_t i = 0; i < n; i++) {
        int32_t db = pal[i].rgbBlue - c.rgbBlue;
        int32_t dg = pal[i].rgbGreen - c.rgbGreen;
        int32_t dr = pal[i].rgbRed - c.rgbRed;
        int32_t d = db * db + dg * dg + dr * dr;
        if (d < best) {
            best = d;
            index = static_cast<uint8_t>(i);
            if (d == 0) break;
        }
    }
    m_info.cacheColor = c;
    m_info.cacheIndex = index;
    m_info.cacheValid = true;
    return index;
}

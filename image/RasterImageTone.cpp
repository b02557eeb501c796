#include <cstddef>
#include <cstdint>

#include "image/BitPack.h"
#include "image/GrayLevel.h"
#include "image/RasterImage.h"

// Tone operations: gray conversion, brightness and contrast through a table,
// and reduction to 1 bit at a fixed level.

namespace {
// An 8-bit image that keeps the attributes and the alpha plane of src.
bool CreateGrayLike(const CRasterImage& src, CRasterImage& temp) {
    temp.CopyInfo(src);
    if (!temp.Create(src.GetWidth(), src.GetHeight(), 8, src.GetType())) return false;
    temp.SetGrayPalette();
    if (src.AlphaIsValid()) temp.AlphaCopy(src);
    return true;
}

void GrayFromColorRows(const CRasterImage& src, CRasterImage& dst) {
    const uint32_t width = src.GetWidth();
    for (uint32_t y = 0; y < src.GetHeight(); y++) {
        const uint8_t* in = src.GetBits(y);
        uint8_t* out = dst.GetBits(y);
        for (uint32_t x = 0; x < width; x++, in += 3) out[x] = GrayLevel(in[0], in[1], in[2]);
    }
}

// Unpacks 1- or 4-bit indexes into the gray levels that the palette holds in
// its blue bytes.
void GrayFromPackedRows(const CRasterImage& src, CRasterImage& dst) {
    const tagRGBQUAD* pal = src.GetPalette();
    uint8_t level[16] = {};
    for (uint32_t i = 0; i < src.GetNumColors() && i < 16; i++) level[i] = pal[i].rgbBlue;
    const uint32_t width = src.GetWidth();
    const bool oneBit = src.GetBpp() == 1;
    for (uint32_t y = 0; y < src.GetHeight(); y++) {
        const uint8_t* in = src.GetBits(y);
        uint8_t* out = dst.GetBits(y);
        for (uint32_t x = 0; x < width; x++) {
            unsigned index = oneBit ? (in[x >> 3] >> (7 - (x & 7))) & 1u
                                    : (x & 1 ? in[x >> 1] & 0x0Fu : in[x >> 1] >> 4);
            out[x] = level[index];
        }
    }
}

bool IsIdentityRamp(const tagRGBQUAD* pal, uint32_t colors) {
    if (colors != 256) return false;
    for (uint32_t i = 0; i < colors; i++)
        if (pal[i].rgbBlue != i) return false;
    return true;
}

size_t RowBytes(const CRasterImage& image) {
    return static_cast<size_t>(image.GetEffWidth()) * image.GetHeight();
}
}  // namespace

bool CRasterImage::GrayScale() {
    if (!m_pDib) return false;

    if (m_head.biClrUsed == 0) {
        CRasterImage temp(0);
        if (!CreateGrayLike(*this, temp)) return false;
        GrayFromColorRows(*this, temp);
        Transfer(temp, true);
        return true;
    }

    // The gray level of each entry goes into its blue byte only.
    tagRGBQUAD* pal = GetPalette();
    for (uint32_t i = 0; i < m_head.biClrUsed; i++)
        pal[i].rgbBlue = GrayLevel(pal[i].rgbBlue, pal[i].rgbGreen, pal[i].rgbRed);
    InvalidateNearestCache();

    if (m_head.biBitCount == 8) {
        // A gray ramp maps every index to itself: the pixels stay as they are.
        if (!IsIdentityRamp(pal, m_head.biClrUsed)) {
            uint8_t* p = m_pRows;
            for (size_t n = RowBytes(*this); n > 0; n--, p++) *p = pal[*p].rgbBlue;
        }
        SetGrayPalette();
        return true;
    }

    CRasterImage temp(0);
    if (!CreateGrayLike(*this, temp)) return false;
    GrayFromPackedRows(*this, temp);
    Transfer(temp, true);
    return true;
}

bool CRasterImage::Light(int32_t brightness, int32_t contrast) {
    if (!m_pDib) return false;
    // Single precision throughout, so that ties round the same way everywhere.
    const float c = static_cast<float>(static_cast<int64_t>(contrast) + 100) / 100.0f;
    const float b = static_cast<float>(static_cast<int64_t>(brightness) + 128);
    uint8_t table[256];
    for (int i = 0; i < 256; i++) {
        float v = static_cast<float>(i - 128) * c;
        v = v + b;
        v = v + 0.5f;
        // Clamp before converting: truncation of anything below 1 gives 0.
        if (v >= 255.0f)
            table[i] = 255;
        else if (v >= 0.0f)
            table[i] = static_cast<uint8_t>(v);
        else
            table[i] = 0;
    }
    return Lut(table);
}

bool CRasterImage::Lut(const uint8_t* table) {
    if (!m_pDib || !table) return false;

    if (m_head.biClrUsed == 0) {
        uint8_t* p = m_pRows;
        for (size_t n = RowBytes(*this); n > 0; n--, p++) *p = table[*p];
        return true;
    }

    const bool wasGray = IsGrayScale();
    for (uint32_t j = 0; j < m_head.biClrUsed; j++) {
        const auto index = static_cast<uint8_t>(j);
        tagRGBQUAD c = GetPaletteColor(index);
        const bool black = c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0;
        const bool white = c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
        if (black || white) continue;
        SetPaletteColor(index, table[c.rgbRed], table[c.rgbGreen], table[c.rgbBlue], c.rgbReserved);
    }
    // Move the new tones of a gray ramp into the pixels and restore the ramp.
    if (wasGray) GrayScale();
    return true;
}

bool CRasterImage::Threshold(uint8_t level) {
    if (!m_pDib) return false;
    if (m_head.biBitCount == 1) return true;
    if (!MakeGrayForReduction(*this)) return false;

    CRasterImage result(GetWidth(), GetHeight(), 1, 0);
    if (!result.IsValid()) {
        SetLastError(result.GetLastError());
        return false;
    }
    const uint32_t width = GetWidth();
    for (uint32_t y = 0; y < GetHeight(); y++) {
        const uint8_t* in = GetBits(y);
        PackRow(result.GetBits(y), width, [in, level](uint32_t x) { return in[x] > level; });
    }
    result.SetPaletteColor(0, 0, 0, 0, 0);
    result.SetPaletteColor(1, 255, 255, 255, 0);
    Transfer(result, true);
    return true;
}

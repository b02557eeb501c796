#include "tools/preview/PageCanvas.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint64_t kMaxSide = 0x7FFFFFFF;
}

std::vector<uint8_t> CPageCanvas::TakeBits() {
    std::vector<uint8_t> bits;
    bits.swap(m_bits);
    m_width = m_height = 0;
    return bits;
}

void CPageCanvas::Clear() {
    m_bits.clear();
    m_width = m_height = 0;
}

bool CPageCanvas::Fits(uint64_t width, uint64_t height) const {
    if (width > kMaxSide || height > kMaxSide) return false;
    if (width == 0 || height == 0) return true;
    uint64_t rowBytes = (width + 7) / 8;
    return rowBytes <= m_maxBytes / height;
}

bool CPageCanvas::Resize(uint64_t width, uint64_t height) {
    if (!Fits(width, height)) return false;
    if (width == 0 || height == 0) {
        m_bits.clear();
        m_width = static_cast<uint32_t>(width);
        m_height = static_cast<uint32_t>(height);
        return true;
    }
    size_t newRowBytes = static_cast<size_t>((width + 7) / 8);
    size_t oldRowBytes = RowBytes();
    if (newRowBytes == oldRowBytes) {
        m_bits.resize(newRowBytes * height, 0);
    } else {
        std::vector<uint8_t> bits(newRowBytes * height, 0);
        size_t keepRows = std::min<uint64_t>(m_height, height);
        size_t keepBytes = std::min(oldRowBytes, newRowBytes);
        // Rows of no width (white rows fed before the first band) keep nothing.
        for (size_t r = 0; keepBytes > 0 && r < keepRows; r++)
            std::memcpy(&bits[r * newRowBytes], &m_bits[r * oldRowBytes], keepBytes);
        m_bits.swap(bits);
    }
    bool narrower = width < m_width;
    m_width = static_cast<uint32_t>(width);
    m_height = static_cast<uint32_t>(height);
    if (narrower) ClearBitsBeyondWidth();
    return true;
}

void CPageCanvas::ClearBitsBeyondWidth() {
    unsigned used = m_width % 8;
    if (used == 0) return;
    uint8_t mask = static_cast<uint8_t>(0xFF00 >> used);
    size_t rowBytes = RowBytes();
    for (size_t r = 0; r < m_height; r++) m_bits[r * rowBytes + rowBytes - 1] &= mask;
}

bool CPageCanvas::Draw(uint64_t x, uint64_t y, const uint8_t* rows, uint32_t rowBytes,
                       uint32_t rowCount, bool setIsBlack) {
    if (rowBytes == 0 || rowCount == 0) return true;
    uint64_t right = x + uint64_t{rowBytes} * 8;
    uint64_t bottom = y + rowCount;
    if (right > m_width || bottom > m_height) {
        if (!Resize(std::max<uint64_t>(right, m_width), std::max<uint64_t>(bottom, m_height)))
            return false;
    }
    size_t stride = RowBytes();
    for (uint32_t r = 0; r < rowCount; r++)
        DrawRow(&m_bits[(y + r) * stride], x, rows + size_t{r} * rowBytes, rowBytes, setIsBlack);
    return true;
}

void CPageCanvas::DrawRow(uint8_t* dst, uint64_t x, const uint8_t* src, uint32_t rowBytes,
                          bool setIsBlack) {
    size_t at = static_cast<size_t>(x / 8);
    unsigned shift = static_cast<unsigned>(x % 8);
    for (uint32_t i = 0; i < rowBytes; i++) {
        uint8_t v = setIsBlack ? src[i] : static_cast<uint8_t>(~src[i]);
        if (shift == 0) {
            dst[at + i] |= v;
        } else {
            dst[at + i] |= static_cast<uint8_t>(v >> shift);
            dst[at + i + 1] |= static_cast<uint8_t>(v << (8 - shift));
        }
    }
}

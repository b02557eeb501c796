#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A growing 1-bit page onto which decoded bitmaps are drawn. Storage is packed
// MSB-first with (width + 7) / 8 bytes per row; a set bit is a burnt dot.
// Every size change is checked against the byte limit given at construction,
// so hostile size fields can never make it allocate more than that.
class CPageCanvas {
public:
    explicit CPageCanvas(size_t maxBytes) : m_maxBytes(maxBytes) {}

    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    const std::vector<uint8_t>& Bits() const { return m_bits; }
    std::vector<uint8_t> TakeBits();
    void Clear();

    // Sets the exact size, keeping what fits and filling new area white.
    // False when the new size would exceed the byte limit.
    bool Resize(uint64_t width, uint64_t height);

    // ORs a packed bitmap into the page with its top-left corner at (x, y),
    // growing the page as needed. With setIsBlack false a clear bit is a dot.
    bool Draw(uint64_t x, uint64_t y, const uint8_t* rows, uint32_t rowBytes, uint32_t rowCount,
              bool setIsBlack);
    bool Append(const uint8_t* rows, uint32_t rowBytes, uint32_t rowCount, bool setIsBlack) {
        return Draw(0, m_height, rows, rowBytes, rowCount, setIsBlack);
    }
    bool AddWhiteRows(uint64_t count) { return Resize(m_width, m_height + count); }

    // Would a page of this size fit the limit?
    bool Fits(uint64_t width, uint64_t height) const;

private:
    size_t RowBytes() const { return (static_cast<size_t>(m_width) + 7) / 8; }
    void DrawRow(uint8_t* dst, uint64_t x, const uint8_t* src, uint32_t rowBytes, bool setIsBlack);
    void ClearBitsBeyondWidth();

    size_t m_maxBytes;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    std::vector<uint8_t> m_bits;
};

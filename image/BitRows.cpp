#include "image/BitRows.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<uint8_t, 256> MakeReversedBytes() {
    std::array<uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; i++) {
        unsigned r = 0;
        for (unsigned b = 0; b < 8; b++)
            if (i & (1u << b)) r |= 0x80u >> b;
        table[i] = static_cast<uint8_t>(r);
    }
    return table;
}
constexpr std::array<uint8_t, 256> kReversed = MakeReversedBytes();

// Transposes the 8 x 8 bit matrix whose row i is byte 7 - i of m (row 0 in
// the high byte, column 0 in the high bit of each byte).
uint64_t Transpose8x8(uint64_t m) {
    uint64_t t = (m ^ (m >> 7)) & 0x00AA00AA00AA00AAull;
    m ^= t ^ (t << 7);
    t = (m ^ (m >> 14)) & 0x0000CCCC0000CCCCull;
    m ^= t ^ (t << 14);
    t = (m ^ (m >> 28)) & 0x00000000F0F0F0F0ull;
    m ^= t ^ (t << 28);
    return m;
}
}  // namespace

void ReverseBitRow(const uint8_t* src, uint8_t* dst, uint32_t width) {
    // Reversing the bytes and the bits in each byte puts source pixel
    // (width - 1 - x) at bit x + shift; shifting left by shift drops the
    // source's padding bits and leaves zero at the end.
    const uint32_t bytes = (width + 7) / 8;
    const uint32_t shift = bytes * 8 - width;
    for (uint32_t j = 0; j < bytes; j++) {
        unsigned v = static_cast<unsigned>(kReversed[src[bytes - 1 - j]]) << shift;
        if (shift && j + 1 < bytes) v |= kReversed[src[bytes - 2 - j]] >> (8 - shift);
        dst[j] = static_cast<uint8_t>(v);
    }
}

void ExtractBitRow(const uint8_t* src, uint32_t first, uint32_t count, uint8_t* dst) {
    if (count == 0) return;
    const uint32_t bytes = (count + 7) / 8;
    const uint32_t from = first / 8, last = (first + count - 1) / 8;
    const uint32_t shift = first % 8;
    for (uint32_t j = 0; j < bytes; j++) {
        unsigned v = static_cast<unsigned>(src[from + j]) << shift;
        if (shift && from + j + 1 <= last) v |= src[from + j + 1] >> (8 - shift);
        dst[j] = static_cast<uint8_t>(v);
    }
    if (count % 8) dst[bytes - 1] &= static_cast<uint8_t>(0xFF00u >> (count % 8));
}

void TransposeBitRows(const std::vector<const uint8_t*>& srcRows, uint32_t srcWidth,
                      const std::vector<uint8_t*>& dstRows) {
    const auto height = static_cast<uint32_t>(srcRows.size());
    const uint32_t srcBytes = (srcWidth + 7) / 8;
    // Blocks of 8 source rows by 8 source columns become blocks of 8 result
    // rows by one result byte; missing rows below the last one read as zero.
    for (uint32_t r0 = 0; r0 < height; r0 += 8) {
        const uint32_t rows = std::min(8u, height - r0);
        for (uint32_t cb = 0; cb < srcBytes; cb++) {
            uint64_t m = 0;
            for (uint32_t i = 0; i < 8; i++) m = (m << 8) | (i < rows ? srcRows[r0 + i][cb] : 0u);
            m = Transpose8x8(m);
            const uint32_t columns = std::min(8u, srcWidth - cb * 8);
            for (uint32_t k = 0; k < columns; k++)
                dstRows[cb * 8 + k][r0 / 8] = static_cast<uint8_t>(m >> (56 - 8 * k));
        }
    }
}

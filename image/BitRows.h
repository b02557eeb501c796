#pragma once

#include <cstdint>
#include <vector>

// Whole-row operations on 1-bit pixel rows (the most significant bit of a
// byte is the leftmost pixel). They write whole bytes: the pixel bits and
// zero in the unused low bits of the last byte written, so the result is the
// same as setting each pixel of a freshly created row one by one.

// dst pixel x = src pixel (width - 1 - x) for x < width; writes
// (width + 7) / 8 bytes.
void ReverseBitRow(const uint8_t* src, uint8_t* dst, uint32_t width);

// dst pixel i = src pixel (first + i) for i < count; reads only the source
// bytes holding those pixels and writes (count + 7) / 8 bytes.
void ExtractBitRow(const uint8_t* src, uint32_t first, uint32_t count, uint8_t* dst);

// Transposition: dstRows[j] pixel i = srcRows[i] pixel j, for the
// srcRows.size() source rows of srcWidth pixels; dstRows holds srcWidth rows.
void TransposeBitRows(const std::vector<const uint8_t*>& srcRows, uint32_t srcWidth,
                      const std::vector<uint8_t*>& dstRows);

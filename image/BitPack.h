#pragma once

#include <cstdint>

// Packs one row of a 1-bit image, eight pixels to a byte with the leftmost in
// the top bit: pixel x is set when white(x). Branch-free within a byte, so
// that the result of each comparison never has to be guessed.
template <class White>
inline void PackRow(uint8_t* out, uint32_t width, White white) {
    uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        unsigned byte = 0;
        for (uint32_t i = 0; i < 8; i++) byte = byte << 1 | static_cast<unsigned>(white(x + i));
        out[x >> 3] = static_cast<uint8_t>(byte);
    }
    if (x == width) return;
    unsigned byte = 0;
    for (uint32_t i = 0; x + i < width; i++) byte |= static_cast<unsigned>(white(x + i)) << (7 - i);
    out[x >> 3] = static_cast<uint8_t>(byte);
}

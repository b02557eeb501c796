#pragma once

#include <cstdint>
#include <vector>

#include "support/RasterWriter.h"

// Byte strings for the ESC/POS family tests.
using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Repeat(const Bytes& piece, int times) {
    Bytes out;
    for (int i = 0; i < times; i++) out = out + piece;
    return out;
}

// The rows of a 1-bit page as the printer gets them: the first rowBytes
// bytes of each line, inverted (set bit = dot), bits beyond the width clear.
inline Bytes PrinterRows(const TestPage& page, unsigned rowBytes) {
    Bytes out;
    for (unsigned y = 0; y < page.height; y++) {
        for (unsigned i = 0; i < rowBytes; i++) {
            uint8_t b = static_cast<uint8_t>(~page.pixels[y * page.bytesPerLine() + i]);
            unsigned first = i * 8;
            if (first + 8 > page.width)
                b &= first >= page.width ? 0
                                         : static_cast<uint8_t>(0xFF << (first + 8 - page.width));
            out.push_back(b);
        }
    }
    return out;
}

// A 1-bit page (white background) with a deterministic scatter of dots.
inline TestPage PatternPage(unsigned width, unsigned height, unsigned dpi = 203) {
    TestPage p = MakePage(width, height, 0xFF, 1, dpi);
    uint32_t seed = 12345;
    for (unsigned y = 0; y < height; y++)
        for (unsigned x = 0; x < width; x++) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 16) % 5 == 0) p.SetBit(x, y, false);
        }
    return p;
}

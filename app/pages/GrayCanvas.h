#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An 8-bit gray picture to draw on: rows from the top, 0 black, 255 white.
// Drawing outside it is cut off.
struct GrayCanvas {
    GrayCanvas(int w, int h, uint8_t gray = 255);

    void Fill(int x, int y, int w, int h, uint8_t gray);
    // A frame `thickness` dots wide just inside the rectangle.
    void Frame(int x, int y, int w, int h, int thickness, uint8_t gray);
    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    int width;
    int height;
    std::vector<uint8_t> pixels;
};

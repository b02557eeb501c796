#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 8-bit gray pixels (0 black, 255 white), rows from the top-left corner.
struct GrayImage {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;

    GrayImage() = default;
    GrayImage(int w, int h, uint8_t fill = 255)
        : pixels(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), fill), width(w), height(h) {}
    uint8_t* Row(int y) { return pixels.data() + size_t(y) * size_t(width); }
    const uint8_t* Row(int y) const { return pixels.data() + size_t(y) * size_t(width); }
};

// A rectangle in pixels; it may reach past the image it refers to.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

#include "app/pages/GrayCanvas.h"

#include <algorithm>

GrayCanvas::GrayCanvas(int w, int h, uint8_t gray)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * height, gray) {}

void GrayCanvas::Fill(int x, int y, int w, int h, uint8_t gray) {
    const int x0 = std::max(x, 0), x1 = std::min(x + w, width);
    const int y0 = std::max(y, 0), y1 = std::min(y + h, height);
    for (int row = y0; row < y1; row++)
        std::fill_n(pixels.begin() + static_cast<size_t>(row) * width + x0, std::max(x1 - x0, 0),
                    gray);
}

void GrayCanvas::Frame(int x, int y, int w, int h, int thickness, uint8_t gray) {
    Fill(x, y, w, thickness, gray);
    Fill(x, y + h - thickness, w, thickness, gray);
    Fill(x, y, thickness, h, gray);
    Fill(x + w - thickness, y, thickness, h, gray);
}

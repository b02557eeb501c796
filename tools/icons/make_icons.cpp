// Draws the printer application's icons: a label printer with a label
// coming out of it, at 48, 128 and 512 pixels, as 8-bit gray PNGs.
// Usage: thermal-make-icons DIR   (writes DIR/printer-48.png, -128, -512)

#include <cmath>
#include <cstdio>
#include <string>

#include "app/pages/GrayCanvas.h"
#include "app/pages/GrayPngWriter.h"

namespace {
// Draws on a 48-unit grid scaled to the icon's size.
struct Pen {
    GrayCanvas& canvas;
    double scale;

    int At(double units) const { return static_cast<int>(std::lround(units * scale)); }
    void Box(double x, double y, double w, double h, uint8_t gray) const {
        canvas.Fill(At(x), At(y), At(x + w) - At(x), At(y + h) - At(y), gray);
    }
};

void DrawPrinter(const Pen& pen) {
    pen.Box(4, 10, 40, 24, 70);    // body
    pen.Box(4, 10, 40, 7, 110);    // lid
    pen.Box(36, 12.5, 4, 2, 255);  // power light
    pen.Box(9, 27, 30, 2.5, 0);    // slot
}

void DrawLabel(const Pen& pen) {
    pen.Box(11, 28, 26, 18, 0);  // edge
    pen.Box(12, 28, 24, 17, 255);
    pen.Box(15, 31, 13, 2, 0);  // two lines of text
    pen.Box(15, 35, 18, 1.5, 0);
    const double bars[][2] = {{15, 1},   {17, 2},   {20, 1},   {22, 1},
                              {24, 2.5}, {27.5, 1}, {29.5, 2}, {32, 1}};
    for (const auto& bar : bars) pen.Box(bar[0], 38.5, bar[1], 4.5, 0);  // barcode
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    for (int size : {48, 128, 512}) {
        GrayCanvas canvas(size, size);
        const Pen pen{canvas, size / 48.0};
        DrawPrinter(pen);
        DrawLabel(pen);
        const std::string path = std::string(argv[1]) + "/printer-" + std::to_string(size) + ".png";
        std::string error;
        if (!WriteGrayPng(path, canvas, 0, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
            return 1;
        }
    }
    return 0;
}

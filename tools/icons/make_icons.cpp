// Draws the printer application's icons, one per printer family, at 48, 128
// and 512 pixels, as 8-bit gray PNGs: a label printer with a label coming out
// of it (also the application's icon), a receipt printer with a torn-off
// receipt, and a pocket-sized mini printer with a narrow strip of paper.
// Usage: thermal-make-icons DIR   (writes DIR/FAMILY-SIZE.png, FAMILY being
// label, receipt and mini)

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

constexpr uint8_t kBody = 70, kLid = 110, kInk = 0, kPaper = 255;

void DrawLabelPrinter(const Pen& pen) {
    pen.Box(4, 10, 40, 24, kBody);
    pen.Box(4, 10, 40, 7, kLid);
    pen.Box(36, 12.5, 4, 2, kPaper);  // power light
    pen.Box(9, 27, 30, 2.5, kInk);    // slot
    pen.Box(11, 28, 26, 18, kInk);    // the label's edge
    pen.Box(12, 28, 24, 17, kPaper);
    pen.Box(15, 31, 13, 2, kInk);  // two lines of text
    pen.Box(15, 35, 18, 1.5, kInk);
    const double bars[][2] = {{15, 1},   {17, 2},   {20, 1},   {22, 1},
                              {24, 2.5}, {27.5, 1}, {29.5, 2}, {32, 1}};
    for (const auto& bar : bars) pen.Box(bar[0], 38.5, bar[1], 4.5, kInk);  // barcode
}

// A squat till printer; the receipt rises out of its top, torn in teeth.
void DrawReceiptPrinter(const Pen& pen) {
    pen.Box(13, 3, 22, 24, kInk);  // the receipt's edge
    pen.Box(14, 4, 20, 23, kPaper);
    for (double x = 14; x < 34; x += 4) pen.Box(x + 2, 3, 2, 1.5, kPaper);  // torn edge
    for (double y = 8; y < 24; y += 3.5) pen.Box(16, y, y < 20 ? 14 : 9, 1.5, kInk);
    pen.Box(4, 26, 40, 18, kBody);
    pen.Box(4, 26, 40, 5, kLid);
    pen.Box(11, 25, 26, 2, kInk);     // slot
    pen.Box(36, 36, 4, 2, kPaper);    // power light
    pen.Box(8, 36, 12, 1.5, kPaper);  // feed button
}

// A small cube with a narrow strip of paper and a picture on it.
void DrawMiniPrinter(const Pen& pen) {
    pen.Box(16, 4, 16, 22, kInk);  // the strip's edge
    pen.Box(17, 4, 14, 22, kPaper);
    pen.Box(20, 8, 8, 6, kInk);  // a small picture
    pen.Box(21.5, 9.5, 5, 3, kPaper);
    pen.Box(19, 17, 10, 1.5, kInk);
    pen.Box(19, 20.5, 7, 1.5, kInk);
    pen.Box(10, 24, 28, 20, kBody);
    pen.Box(10, 24, 28, 6, kLid);
    pen.Box(15, 23, 18, 2, kInk);   // slot
    pen.Box(22, 36, 4, 4, kPaper);  // the one button
}

struct Family {
    const char* name;
    void (*draw)(const Pen&);
};
constexpr Family kFamilies[] = {
    {"label", DrawLabelPrinter},
    {"receipt", DrawReceiptPrinter},
    {"mini", DrawMiniPrinter},
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    for (const Family& family : kFamilies)
        for (int size : {48, 128, 512}) {
            GrayCanvas canvas(size, size);
            family.draw(Pen{canvas, size / 48.0});
            const std::string path =
                std::string(argv[1]) + "/" + family.name + "-" + std::to_string(size) + ".png";
            std::string error;
            if (!WriteGrayPng(path, canvas, 0, error)) {
                std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
                return 1;
            }
        }
    return 0;
}

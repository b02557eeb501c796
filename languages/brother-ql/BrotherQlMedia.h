#pragma once

#include <cstdint>
#include <cstdlib>
#include <span>

// The tapes and die-cut labels of Brother QL printers and where each sits on
// the 720-pin head: in a raster line (first byte first) the printed width W
// starts after `left` blank pins and ends `right` pins before the line's end,
// left + W + right = 720. Header-only so that the preview tool shares it.
struct QlMedia {
    int widthMm;
    int lengthMm;    // 0: continuous tape
    int dots;        // printed width W
    int lengthDots;  // printed length of a die-cut label at 300 dpi; 0: any
    int left;
    int right;

    bool DieCut() const { return lengthMm != 0; }
};

constexpr int kQlHeadPins = 720;
constexpr int kQlLineBytes = kQlHeadPins / 8;

// *check*: placement from the maker's page-size table; correct it here.
// The 17 mm and 23 mm labels' pins (left, right) are not in the table we
// have: they are guesses that put the tape against the right end of the
// head as the narrow tapes sit.
constexpr QlMedia kQlMedia[] = {
    {12, 0, 106, 0, 585, 29},    {29, 0, 306, 0, 408, 6},    {38, 0, 413, 0, 295, 12},
    {50, 0, 554, 0, 154, 12},    {54, 0, 590, 0, 130, 0},    {62, 0, 696, 0, 12, 12},
    {29, 90, 306, 991, 408, 6},  {62, 29, 696, 271, 12, 12}, {62, 100, 696, 1109, 12, 12},
    {38, 90, 413, 991, 295, 12}, {17, 54, 165, 566, 555, 0}, {17, 87, 165, 956, 555, 0},
    {23, 23, 202, 202, 442, 76},
};

// The medium a page of this size (millimetres) prints on: with dieCut, the
// die-cut label within 1 mm of the page in both directions when there is
// one; otherwise the continuous tape nearest in width.
inline const QlMedia& QlMediaForPage(double widthMm, double lengthMm, bool dieCut) {
    for (const QlMedia& m : kQlMedia)
        if (dieCut && m.DieCut() && std::abs(m.widthMm - widthMm) <= 1.0 &&
            std::abs(m.lengthMm - lengthMm) <= 1.0)
            return m;
    const QlMedia* best = &kQlMedia[0];
    for (const QlMedia& m : kQlMedia)
        if (!m.DieCut() && std::abs(m.widthMm - widthMm) < std::abs(best->widthMm - widthMm))
            best = &m;
    return *best;
}

// The medium an ESC i z command names, or null when the table has none.
inline const QlMedia* QlMediaNamed(int widthMm, int lengthMm, bool dieCut) {
    for (const QlMedia& m : kQlMedia)
        if (m.widthMm == widthMm && m.DieCut() == dieCut && (!dieCut || m.lengthMm == lengthMm))
            return &m;
    return nullptr;
}

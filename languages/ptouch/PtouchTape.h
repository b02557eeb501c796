#pragma once

#include <cmath>
#include <cstdint>

// The tapes of Brother P-touch printers with a 128-pin head (180 dpi) and
// where each sits on the head: a raster line's pin 0 is the first byte's
// bit 7; the printed width starts after `margin` blank pins and the same
// number stays blank at the other end. Header-only so that the preview tool
// shares it.
struct PtouchTape {
    double widthMm;
    uint8_t code;  // the width as the print information and the status name it
    int pins;      // printed width
    int margin;
};

constexpr int kPtouchHeadPins = 128;
constexpr int kPtouchLineBytes = kPtouchHeadPins / 8;

// *check*: the pins per tape as remembered from the maker's table; each row
// sums to 128 with equal margins. Correct them here.
constexpr PtouchTape kPtouchTapes[] = {
    {3.5, 0x04, 24, 52}, {6, 0x06, 32, 48},  {9, 0x09, 50, 39},
    {12, 0x0C, 70, 29},  {18, 0x12, 112, 8}, {24, 0x18, 128, 0},
};

// *check*: which tape edge pin 0 lands on is unconfirmed; the page's first
// column is printed by the first pin of the tape's printed width.
constexpr int PtouchPinOfColumn(const PtouchTape& tape, int column) {
    return tape.margin + column;
}

// The tape nearest in width to a page this wide (millimetres).
inline const PtouchTape& PtouchTapeForPage(double widthMm) {
    const PtouchTape* best = &kPtouchTapes[0];
    for (const PtouchTape& t : kPtouchTapes)
        if (std::abs(t.widthMm - widthMm) < std::abs(best->widthMm - widthMm)) best = &t;
    return *best;
}

// The tape a width code names, or null.
inline const PtouchTape* PtouchTapeOfCode(int code) {
    for (const PtouchTape& t : kPtouchTapes)
        if (t.code == code) return &t;
    return nullptr;
}

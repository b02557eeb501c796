#pragma once

#include "app/documents/GrayImage.h"

// Where the label lies on a page that holds more (a carrier's Letter or A4
// page with instructions, a receipt, a fold line):
// 1. a ruled box of about the loaded label's proportions, either way
//    round, holding the page's bar codes (the largest that fits the label,
//    else the largest);
// 2. failing that, the block holding the bar codes, parted from the rest
//    by white space or a cut or fold line (the largest such block that fits
//    the label, else the smallest);
// 3. failing that, all the ink on the page.
struct FoundLabel {
    enum class How { Ink, Box, Block };
    PixelRect area;  // empty (width 0) on a blank page
    How how = How::Ink;
    int codes = 0;  // the bar codes in the area
};

// The label's size and the page's resolution are in the page's pixels.
FoundLabel FindLabel(const GrayImage& page, int labelWidth, int labelLength, double dpi);

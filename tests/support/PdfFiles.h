#pragma once

#include <string>
#include <vector>

// Small PDF files written by tests. Pages are content streams in PDF
// drawing operators, with the page size in points; `dots` draws in dots of
// a printer of that resolution (the stream starts with that scale).
struct PdfPage {
    double widthPt;
    double heightPt;
    std::string content;
};

std::vector<uint8_t> MakePdf(const std::vector<PdfPage>& pages,
                             const std::string& trailerExtra = "");

// Content that fills rectangles given in dots at `dpi`: x, y from the
// page's top-left corner, as the printed label has them.
std::string DotRects(double pageHeightPt, int dpi,
                     const std::vector<std::vector<int>>& rects);  // {x, y, w, h}
// A frame `thickness` dots wide, `inset` dots inside a page of w x h dots.
std::vector<std::vector<int>> Frame(int w, int h, int inset, int thickness);

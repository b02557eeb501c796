#pragma once

#include <vector>

#include "app/documents/GrayImage.h"
#include "app/documents/InkComponents.h"

// The page's ink cut into blocks along white gaps, each block cut again the
// other way (rows, then columns, and so on), cut and fold lines (dashed, or
// solid across the page) counting as white. Every block, and every run of
// neighbouring blocks of one cut, is a candidate for where a label lies on
// the page; the rectangles are the candidates' ink, to about 0.04 in.
class PageBlocks {
public:
    PageBlocks(const InkComponents& ink, int width, int height, double dpi);

    const std::vector<PixelRect>& Candidates() const { return m_candidates; }
    // The rectangle shrunk to the ink in it, cut and fold lines left out.
    PixelRect Tighten(const PixelRect& r) const;

private:
    const InkComponents& m_ink;
    std::vector<bool> m_separator;  // per shape of m_ink
    std::vector<PixelRect> m_candidates;
};

#pragma once

#include "image/RasterImage.h"

// What a page shows, which decides how its grays become dots.
enum class PageContent {
    LineArt,  // text, graphics, bar codes: clean edges at mid-gray
    Photo,    // continuous tones: dithered
    Auto,     // decided per part of the page by what its grays look like
};

// Turns a gray page into 1 bit (set = white) by its content: line art is
// cut at mid-gray, keeping strokes thinner than a dot that the cut would
// lose, so an anti-aliased edge becomes a clean edge instead of a fringe of
// dots; photos get the worm-free dither. With Auto, parts of the page whose
// grays lie only on the edges of black and white shapes are line art, parts
// with flat or gently changing grays are photo.
bool DotsForContent(CRasterImage& image, PageContent content);

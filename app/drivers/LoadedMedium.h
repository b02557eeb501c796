#pragma once

#include <pappl/pappl.h>

#include <string>

#include "image/RasterImage.h"

// A page of a job that asks for a medium (media or media-col), against the
// medium loaded in the printer (its ready media). A page
// wider than the loaded labels or paper, or longer than the loaded labels,
// would print past them: it is shrunk to fit, keeping its proportions,
// centred, and the job says so. A page for other labels that fits prints as
// it is, and the job says so too. Jobs are never held for media: raster
// jobs arrive as streams, and phones and laptops send a default size of
// their own that would hold every job.
struct MediumCheck {
    bool fit = false;     // shrink the page to width x height dots
    uint32_t width = 0;   // the loaded medium in dots
    uint32_t height = 0;  // 0: continuous, any length
    std::string message;  // for the job; empty when the page is the medium's
};

MediumCheck CheckLoadedMedium(pappl_job_t* job, const cups_page_header2_t& page);

// What a job that asks for a medium (its name, its size in hundredths of a
// millimetre; length 0 for any) is told when it is submitted: the medium
// loaded, and whether its pages will be shrunk onto it. Empty when the
// medium asked for is the loaded one.
std::string AskedMediumMessage(const pappl_media_col_t& loaded, const char* asked, int width,
                               int length);

// Shrinks an 8-bit gray image (255 white) to fit width x height (height 0:
// the width only), averaging the pixels each target pixel covers, centred
// on white, and keeps the middle `keep` columns (the head's width); false
// when memory runs out.
bool ShrinkToFit(CRasterImage& image, uint32_t width, uint32_t height, uint32_t keep);

#pragma once

#include "image/RasterImage.h"

// Floyd–Steinberg error diffusion that draws no worms: in calm parts of
// the image the threshold is shaken a little per dot (most in the middle
// tones), so flat grays come out as evenly spread dots instead of
// meandering lines; where the image changes (details, edges) the threshold
// stays put, so the tones stay as faithful as plain Floyd–Steinberg's. The
// shaking is a hash of the dot's place: the same image gives the same
// dots. Turns the image into 1 bit (set = white), as Dither does.
bool DitherWormFree(CRasterImage& image);

#pragma once

#include "app/documents/GrayImage.h"

// The image turned by quarter turns counter-clockwise.
GrayImage TurnImage(const GrayImage& image, int turns);

// Draws the image scaled into `where` on the page, clipped to the page.
// Every page dot is the mean of the image area it covers (area-weighted),
// so a line one pixel wide still darkens the dots it falls on when the
// image is made smaller. A black-and-white image (a bar code made for
// another resolution) made larger takes each dot from the pixel under its
// centre instead: every edge lands on the nearest dot, so bars and modules
// that were equal stay equal within one dot, with no gray between them.
void DrawScaled(const GrayImage& image, const PixelRect& where, GrayImage& page);

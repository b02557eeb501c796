#pragma once

#include <vector>

#include "app/documents/GrayImage.h"

// Where a page holds bar codes: areas of fine, regular stripes (linear codes,
// either way round) or of dense squares in both directions (QR, Data Matrix,
// PDF417), told apart from text by their lines not being broken by white
// rows. A deterministic measure on small cells, not a reader.
std::vector<PixelRect> FindCodeAreas(const GrayImage& page, double dpi);

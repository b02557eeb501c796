#include "image/RasterImage.h"

// Placeholder until dithering lands.
bool CRasterImage::Dither(int32_t) {
    return false;
}

#include "image/RasterImage.h"

// Placeholder until the tone operations land.
bool CRasterImage::GrayScale() {
    return false;
}
bool CRasterImage::Light(int32_t, int32_t) {
    return false;
}
bool CRasterImage::Lut(const uint8_t*) {
    return false;
}
bool CRasterImage::Threshold(uint8_t) {
    return false;
}

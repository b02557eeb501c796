#include "image/RasterImage.h"

// Placeholder until the geometric transforms land.
bool CRasterImage::Mirror(bool, bool) {
    return false;
}
bool CRasterImage::Rotate180(CRasterImage*) {
    return false;
}
bool CRasterImage::Rotate(float, CRasterImage*) {
    return false;
}
bool CRasterImage::Resample(int32_t, int32_t, int32_t, CRasterImage*) {
    return false;
}
bool CRasterImage::Crop(int32_t, int32_t, int32_t, int32_t, CRasterImage*) {
    return false;
}
bool CRasterImage::Crop(const tagRECT& r, CRasterImage* d) {
    return Crop(r.left, r.top, r.right, r.bottom, d);
}
void CRasterImage::PrepareLike(const CRasterImage&, uint32_t, uint32_t) {}
bool CRasterImage::QuarterTurn(bool, CRasterImage*) {
    return false;
}

#include "support/GrayImages.h"

void MakeGrayImage(CRasterImage& image, int width, int height, const std::vector<int>& values) {
    image.Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 8, 0);
    image.SetGrayPalette();
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            image.GetBits(static_cast<uint32_t>(y))[x] =
                static_cast<uint8_t>(values[y * width + x]);
}

std::vector<int> ReadBits(const CRasterImage& image) {
    std::vector<int> bits;
    for (uint32_t y = 0; y < image.GetHeight(); y++)
        for (uint32_t x = 0; x < image.GetWidth(); x++)
            bits.push_back((image.GetBits(y)[x / 8] >> (7 - x % 8)) & 1);
    return bits;
}

std::vector<int> ReadBytes(const CRasterImage& image) {
    std::vector<int> bytes;
    for (uint32_t y = 0; y < image.GetHeight(); y++)
        for (uint32_t x = 0; x < image.GetWidth(); x++) bytes.push_back(image.GetBits(y)[x]);
    return bytes;
}

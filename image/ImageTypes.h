#pragma once

#include <cstdint>

// BMP-style records used by the image class and the page pipeline.
#pragma pack(push, 1)
struct tagRGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct tagBITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)

static_assert(sizeof(tagRGBQUAD) == 4);
static_assert(sizeof(tagBITMAPINFOHEADER) == 40);

// Rectangle in pixels; Crop counts top and bottom from the last stored row.
struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

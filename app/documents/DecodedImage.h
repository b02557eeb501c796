#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/documents/ImageJob.h"

// An image as papplJobFilterImage takes it: rows of gray (depth 1) or sRGB
// (depth 3) bytes from the top-left corner, and its pixels per inch (0 when
// unknown).
struct DecodedImage {
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    int depth = 1;
    int ppi = 0;
};

// Whether an image of this size may be decoded for the job: within its
// limits. If not, the job is failed with a message that says why.
bool AdmitImage(ImageJob& job, const char* kind, uint64_t width, uint64_t height, int depth);

// Decode a PNG or JPEG file, read from where it stands, into 8-bit gray or
// sRGB over white, checking the size before the pixels are allocated and
// stopping on a cancel. False when the job has failed with the reason or
// was cancelled. The file stays open.
bool DecodePng(FILE* file, ImageJob& job, DecodedImage& image);
bool DecodeJpeg(FILE* file, ImageJob& job, DecodedImage& image);

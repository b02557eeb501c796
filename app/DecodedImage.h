#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <vector>

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

// Whether an image of this size may be decoded for the job's printer: within
// PAPPL's image limits and the printer's own (see ImagePixelLimit). If not,
// the job is failed with a message that says why.
bool AdmitImage(pappl_job_t* job, const char* kind, uint64_t width, uint64_t height, int depth);

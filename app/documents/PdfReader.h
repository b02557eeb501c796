#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/documents/GrayImage.h"

namespace poppler {
class document;
}

// Bounds on what one PDF may cost.
struct PdfLimits {
    int pages = 1000;            // pages in one document
    uint64_t pixels = 1u << 26;  // pixels of one drawn page
    int side = 16384;            // pixels on either side of a drawn page
};

// A page's size as it is shown (its /Rotate applied), in inches.
struct PdfPageSize {
    double widthIn = 0;
    double heightIn = 0;
};

// A PDF document read with poppler, in this process: the application runs
// it in a child process (see PdfProcess), the fuzz target directly.
class PdfReader {
public:
    PdfReader();
    ~PdfReader();
    PdfReader(const PdfReader&) = delete;
    PdfReader& operator=(const PdfReader&) = delete;

    // False with the reason when it is not a PDF that can be printed: not
    // readable, protected by a password, without pages.
    bool OpenFile(const std::string& path, std::string& why);
    bool OpenData(const char* data, int size, std::string& why);

    int Pages() const;
    bool Size(int page, PdfPageSize& size, std::string& why) const;
    // The page drawn in 8-bit gray at this resolution (dots per inch across
    // and down), within the limits; only `region` of it (in those dots, cut
    // to the page) when it is not empty, so that a part of a page can be
    // drawn larger than the whole may be.
    bool Draw(int page, double xdpi, double ydpi, const PdfLimits& limits, GrayImage& image,
              std::string& why, const PixelRect& region = {}) const;

private:
    bool Check(std::string& why);
    std::unique_ptr<poppler::document> m_document;
};

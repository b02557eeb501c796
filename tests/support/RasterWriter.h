#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <string>
#include <vector>

// One page of a test raster: pixels in the raster's own format, line 0 first.
struct TestPage {
    unsigned width = 0;
    unsigned height = 0;
    unsigned bitsPerPixel = 8;
    unsigned dpi = 203;
    unsigned ydpi = 0;  // 0: same as dpi
    cups_cspace_t colorSpace = CUPS_CSPACE_W;
    std::vector<uint8_t> pixels;  // bytesPerLine() * height bytes

    unsigned bytesPerLine() const { return (width * bitsPerPixel + 7) / 8; }
    // Pixel helpers for 8-bit gray and 1-bit pages (1 bit: 1 = white).
    void SetGray(unsigned x, unsigned y, uint8_t v) { pixels[y * bytesPerLine() + x] = v; }
    void SetBit(unsigned x, unsigned y, bool white);
};

// A page filled with one value: 8-bit gray (255 white) by default.
TestPage MakePage(unsigned width, unsigned height, uint8_t fill = 255, unsigned bitsPerPixel = 8,
                  unsigned dpi = 203);

// A raster stream (version 2 headers) holding the pages; extra header fields
// can be set through the callback.
std::vector<uint8_t> MakeRaster(const std::vector<TestPage>& pages);
std::vector<uint8_t> MakeRasterWithHeaders(const std::vector<cups_page_header2_t>& headers,
                                           const std::vector<std::vector<uint8_t>>& data);
cups_page_header2_t HeaderFor(const TestPage& page);

// The pages as a PWG raster stream (or Apple raster with
// CUPS_RASTER_WRITE_APPLE), white-is-255 pages as sGray: what IPP clients
// send a printer.
std::vector<uint8_t> MakePwgRaster(const std::vector<TestPage>& pages,
                                   cups_mode_t mode = CUPS_RASTER_WRITE_PWG);

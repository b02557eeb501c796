#include "support/RasterWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "support/TempDir.h"

void TestPage::SetBit(unsigned x, unsigned y, bool white) {
    uint8_t& b = pixels[y * bytesPerLine() + x / 8];
    uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
    b = white ? (b | mask) : (b & ~mask);
}

TestPage MakePage(unsigned width, unsigned height, uint8_t fill, unsigned bitsPerPixel,
                  unsigned dpi) {
    TestPage p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bitsPerPixel;
    p.dpi = dpi;
    if (bitsPerPixel >= 24) p.colorSpace = CUPS_CSPACE_RGB;
    p.pixels.assign(static_cast<size_t>(p.bytesPerLine()) * height, fill);
    return p;
}

cups_page_header2_t HeaderFor(const TestPage& page) {
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    unsigned ydpi = page.ydpi ? page.ydpi : page.dpi;
    h.HWResolution[0] = page.dpi;
    h.HWResolution[1] = ydpi;
    h.PageSize[0] = page.dpi ? page.width * 72 / page.dpi : 0;
    h.PageSize[1] = ydpi ? page.height * 72 / ydpi : 0;
    h.NumCopies = 1;
    h.cupsWidth = page.width;
    h.cupsHeight = page.height;
    h.cupsBitsPerPixel = page.bitsPerPixel;
    h.cupsBitsPerColor = page.bitsPerPixel >= 24 ? 8 : page.bitsPerPixel;
    h.cupsBytesPerLine = page.bytesPerLine();
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsColorSpace = page.colorSpace;
    if (page.bitsPerPixel == 32) h.cupsColorSpace = CUPS_CSPACE_RGBA;
    h.cupsNumColors = page.bitsPerPixel >= 24 ? (page.bitsPerPixel == 32 ? 4 : 3) : 1;
    return h;
}

namespace {
std::vector<uint8_t> WriteRaster(const std::vector<cups_page_header2_t>& headers,
                                 const std::vector<std::vector<uint8_t>>& data, cups_mode_t mode) {
    std::string path = TempDir::Shared().NewPath("raster");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    cups_raster_t* ras = cupsRasterOpen(fd, mode);
    for (size_t i = 0; i < headers.size(); i++) {
        cups_page_header2_t h = headers[i];
        cupsRasterWriteHeader2(ras, &h);
        const std::vector<uint8_t>& px = data[i];
        if (!px.empty())
            cupsRasterWritePixels(ras, const_cast<uint8_t*>(px.data()),
                                  static_cast<unsigned>(px.size()));
    }
    cupsRasterClose(ras);
    close(fd);
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    unlink(path.c_str());
    return bytes;
}
}  // namespace

std::vector<uint8_t> MakeRasterWithHeaders(const std::vector<cups_page_header2_t>& headers,
                                           const std::vector<std::vector<uint8_t>>& data) {
    return WriteRaster(headers, data, CUPS_RASTER_WRITE);
}

std::vector<uint8_t> MakePwgRaster(const std::vector<TestPage>& pages, cups_mode_t mode) {
    std::vector<cups_page_header2_t> headers;
    std::vector<std::vector<uint8_t>> data;
    for (const TestPage& p : pages) {
        headers.push_back(HeaderFor(p));
        if (p.colorSpace == CUPS_CSPACE_W) headers.back().cupsColorSpace = CUPS_CSPACE_SW;
        data.push_back(p.pixels);
    }
    return WriteRaster(headers, data, mode);
}

std::vector<uint8_t> MakeRaster(const std::vector<TestPage>& pages) {
    std::vector<cups_page_header2_t> headers;
    std::vector<std::vector<uint8_t>> data;
    for (const TestPage& p : pages) {
        headers.push_back(HeaderFor(p));
        data.push_back(p.pixels);
    }
    return MakeRasterWithHeaders(headers, data);
}

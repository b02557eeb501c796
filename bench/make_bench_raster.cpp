// Writes CUPS raster files of the benchmark pages, for whole-process timings:
//   make-bench-raster OUTPUT label|a4 BITS [PAGES]
// BITS is 1, 8 or 24; PAGES (default 1) repeats the page. A 1-bit page is the
// gray page cut at mid gray (bit 1 = white). An OUTPUT ending in ".pgm" gets
// the 8-bit page as a binary PGM instead, for comparison with netpbm.
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchPages.h"

namespace {
std::vector<uint8_t> PackOneBit(const std::vector<uint8_t>& gray, const BenchPageSize& s) {
    const size_t line = (s.width + 7) / 8;
    std::vector<uint8_t> bits(line * s.height, 0);
    for (size_t y = 0; y < s.height; y++)
        for (size_t x = 0; x < s.width; x++)
            if (gray[y * s.width + x] > 128) bits[y * line + x / 8] |= 0x80 >> (x % 8);
    return bits;
}

bool WritePgm(const char* path, const std::vector<uint8_t>& gray, const BenchPageSize& s) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P5\n%u %u\n255\n", s.width, s.height);
    bool ok = std::fwrite(gray.data(), 1, gray.size(), f) == gray.size();
    return std::fclose(f) == 0 && ok;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

cups_page_header2_t HeaderFor(const BenchPageSize& s, unsigned bits, size_t bytesPerLine) {
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    h.HWResolution[0] = h.HWResolution[1] = static_cast<unsigned>(s.dpi);
    h.PageSize[0] = s.width * 72 / static_cast<unsigned>(s.dpi);
    h.PageSize[1] = s.height * 72 / static_cast<unsigned>(s.dpi);
    h.NumCopies = 1;
    h.cupsWidth = s.width;
    h.cupsHeight = s.height;
    h.cupsBitsPerPixel = bits;
    h.cupsBitsPerColor = bits == 24 ? 8 : bits;
    h.cupsBytesPerLine = static_cast<unsigned>(bytesPerLine);
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsColorSpace = bits == 24 ? CUPS_CSPACE_RGB : CUPS_CSPACE_W;
    h.cupsNumColors = bits == 24 ? 3 : 1;
    return h;
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s OUTPUT label|a4 1|8|24 [PAGES]\n", argv[0]);
        return 2;
    }
    const BenchPageSize& size = std::string(argv[2]) == "a4" ? kA4At300 : kLabel4x6;
    const unsigned bits = static_cast<unsigned>(std::atoi(argv[3]));
    const int pages = argc == 5 ? std::atoi(argv[4]) : 1;
    if ((bits != 1 && bits != 8 && bits != 24) || pages < 1) {
        std::fprintf(stderr, "%s: bad depth or page count\n", argv[0]);
        return 2;
    }
    if (EndsWith(argv[1], ".pgm")) return WritePgm(argv[1], MakeBenchGray(size), size) ? 0 : 1;
    std::vector<uint8_t> px = bits == 24  ? MakeBenchRgb(size)
                              : bits == 8 ? MakeBenchGray(size)
                                          : PackOneBit(MakeBenchGray(size), size);
    const size_t bytesPerLine = px.size() / size.height;

    int fd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    cups_raster_t* ras = cupsRasterOpen(fd, CUPS_RASTER_WRITE);
    bool ok = ras != nullptr;
    for (int p = 0; ok && p < pages; p++) {
        cups_page_header2_t h = HeaderFor(size, bits, bytesPerLine);
        ok = cupsRasterWriteHeader2(ras, &h) &&
             cupsRasterWritePixels(ras, px.data(), static_cast<unsigned>(px.size())) == px.size();
    }
    if (ras) cupsRasterClose(ras);
    if (close(fd) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "%s: writing %s failed\n", argv[0], argv[1]);
    return ok ? 0 : 1;
}

// Writes a CUPS raster stream to standard output, for the limit and leak
// checks and for the fuzzers' seeds. Pages are generated, not stored, so a
// thousand-page job can be piped straight into the filter.
//
//   make_raster [--width N] [--height N] [--bpp 1|4|8|24|32] [--pages N]
//               [--dpi N] [--pattern white|black|stripes|gradient|bands]
//               [--bytes-per-line N] [--lines N] [--uncompressed]
//               [--next <options of the next pages>]...
//
// --bytes-per-line overrides the header's line length (for hostile headers),
// --lines writes only that many lines of each page (a header that promises
// more lines than the stream holds; 0 writes headers only). Each --next
// starts another group of pages, which takes the options of the one before
// unless it changes them.
#include <cups/raster.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct Options {
    unsigned width = 812, height = 1218, bpp = 8, pages = 1, dpi = 203;
    std::string pattern = "stripes";
    unsigned long long bytesPerLine = 0;  // 0: from width and depth
    long long lines = -1;                 // -1: the whole page
    bool compressed = true;
};

bool Valid(const Options& o) {
    return o.bpp == 1 || o.bpp == 4 || o.bpp == 8 || o.bpp == 24 || o.bpp == 32;
}

bool ParseArgs(int argc, char** argv, std::vector<Options>& groups) {
    groups.assign(1, Options());
    for (int i = 1; i < argc; i++) {
        Options& o = groups.back();
        std::string a = argv[i];
        if (a == "--uncompressed") {
            o.compressed = false;
            continue;
        }
        if (a == "--next") {
            if (!Valid(o)) return false;
            groups.push_back(o);
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        unsigned long long n = std::strtoull(v, nullptr, 10);
        if (a == "--width")
            o.width = static_cast<unsigned>(n);
        else if (a == "--height")
            o.height = static_cast<unsigned>(n);
        else if (a == "--bpp")
            o.bpp = static_cast<unsigned>(n);
        else if (a == "--pages")
            o.pages = static_cast<unsigned>(n);
        else if (a == "--dpi")
            o.dpi = static_cast<unsigned>(n);
        else if (a == "--pattern")
            o.pattern = v;
        else if (a == "--bytes-per-line")
            o.bytesPerLine = n;
        else if (a == "--lines")
            o.lines = static_cast<long long>(n);
        else
            return false;
    }
    return Valid(groups.back());
}

cups_page_header2_t Header(const Options& o) {
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    h.HWResolution[0] = h.HWResolution[1] = o.dpi;
    h.PageSize[0] = o.dpi ? static_cast<unsigned>(o.width * 72ULL / o.dpi) : 0;
    h.PageSize[1] = o.dpi ? static_cast<unsigned>(o.height * 72ULL / o.dpi) : 0;
    h.NumCopies = 1;
    h.cupsWidth = o.width;
    h.cupsHeight = o.height;
    h.cupsBitsPerPixel = o.bpp;
    h.cupsBitsPerColor = o.bpp >= 24 ? 8 : o.bpp;
    h.cupsNumColors = o.bpp == 32 ? 4 : o.bpp == 24 ? 3 : 1;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsColorSpace = o.bpp == 32   ? CUPS_CSPACE_RGBA
                       : o.bpp == 24 ? CUPS_CSPACE_RGB
                                     : CUPS_CSPACE_W;
    h.cupsBytesPerLine = o.bytesPerLine ? static_cast<unsigned>(o.bytesPerLine)
                                        : static_cast<unsigned>((1ULL * o.width * o.bpp + 7) / 8);
    return h;
}

// One line of the page; white is all bits set in every depth used here.
void FillLine(const Options& o, unsigned y, std::vector<unsigned char>& line) {
    const size_t n = line.size();
    if (o.pattern == "white" || o.pattern == "black") {
        std::memset(line.data(), o.pattern == "white" ? 0xFF : 0x00, n);
    } else if (o.pattern == "bands") {  // gray blocks: little data, work for the dither
        for (size_t i = 0; i < n; i++)
            line[i] = static_cast<unsigned char>((i / 64 * 24 + y / 32 * 40) & 0xFF);
    } else if (o.pattern == "gradient") {
        for (size_t i = 0; i < n; i++)
            line[i] = static_cast<unsigned char>((i * 255 / n + y) & 0xFF);
    } else {  // stripes: bands of 16 lines, a black frame column every 64 bytes
        unsigned char band = (y / 16) % 2 ? 0x00 : 0xFF;
        for (size_t i = 0; i < n; i++) line[i] = (i % 64 == 0) ? 0x00 : band;
    }
}

bool WritePages(cups_raster_t* ras, const Options& o) {
    cups_page_header2_t header = Header(o);
    unsigned long long lines = o.lines < 0 ? o.height : static_cast<unsigned long long>(o.lines);
    std::vector<unsigned char> line(lines ? header.cupsBytesPerLine : 0);
    for (unsigned p = 0; p < o.pages; p++) {
        cups_page_header2_t h = header;
        if (!cupsRasterWriteHeader2(ras, &h)) return false;
        for (unsigned long long y = 0; y < lines; y++) {
            FillLine(o, static_cast<unsigned>(y), line);
            if (cupsRasterWritePixels(ras, line.data(), header.cupsBytesPerLine) == 0) return false;
        }
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<Options> groups;
    if (!ParseArgs(argc, argv, groups)) {
        std::fprintf(stderr, "usage: %s [--width N] [--height N] [--bpp 1|4|8|24|32] ...\n",
                     argv[0]);
        return 2;
    }
    cups_raster_t* ras =
        cupsRasterOpen(1, groups[0].compressed ? CUPS_RASTER_WRITE_COMPRESSED : CUPS_RASTER_WRITE);
    if (!ras) return 1;
    for (const Options& o : groups)
        if (!WritePages(ras, o)) return 1;
    cupsRasterClose(ras);
    return 0;
}

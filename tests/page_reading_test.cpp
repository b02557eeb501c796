#include <gtest/gtest.h>

#include <random>

#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

// The job loop reads raster lines straight into the page image; what it
// prints must be what the page, read whole and then copied, gives.

namespace {
TestPage RandomPage(unsigned width, unsigned height, unsigned bits, unsigned seed) {
    TestPage p = MakePage(width, height, 0, bits);
    std::mt19937 rng(seed);
    for (uint8_t& b : p.pixels) b = static_cast<uint8_t>(rng());
    return p;
}

std::vector<uint8_t> Print(const std::string& ppd, const std::vector<uint8_t>& raster) {
    FilterResult r = RunFilter(ppd, raster);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.out;
}
}  // namespace

TEST(PageReading, ATruncatedPageKeepsItsLinesAndZeroesTheRest) {
    const std::string ppd = WritePpd(20);
    for (unsigned bits : {1u, 8u, 24u, 32u}) {
        const TestPage page = RandomPage(37, 20, bits, bits);
        // A page before it leaves other pixels in the memory the cut page
        // may be given: its missing lines must still come out zero.
        const TestPage before = RandomPage(37, 20, bits, bits + 100);
        const size_t line = page.bytesPerLine();
        const std::vector<uint8_t> whole = MakeRaster({before, page});
        // Whole lines missing, then a line cut in its middle.
        for (size_t missing : {line * 7, line * 7 + line / 2}) {
            std::vector<uint8_t> cut = whole;
            cut.resize(cut.size() - missing);
            TestPage zeroed = page;
            const size_t kept = (page.pixels.size() - missing) / line * line;
            std::fill(zeroed.pixels.begin() + static_cast<long>(kept), zeroed.pixels.end(), 0);
            EXPECT_EQ(Print(ppd, cut), Print(ppd, MakeRaster({before, zeroed})))
                << bits << " bits, " << missing << " bytes missing";
        }
    }
}

TEST(PageReading, LinesLongerThanTheRowAreCutAndShorterOnesPadded) {
    const std::string ppd = WritePpd(20);
    for (unsigned bits : {8u, 24u, 32u}) {
        const TestPage page = RandomPage(20, 9, bits, 40 + bits);
        const size_t line = page.bytesPerLine();
        for (int extra : {2, -1}) {
            // The same pixels in lines some pixels longer or shorter (CUPS
            // takes whole pixels only): the bytes beyond a row are dropped,
            // missing ones are zero.
            const size_t other = line + static_cast<size_t>(extra * static_cast<int>(bits / 8));
            std::vector<uint8_t> data(other * page.height, 0);
            TestPage expected = page;
            for (size_t y = 0; y < page.height; y++)
                for (size_t i = 0; i < line; i++) {
                    uint8_t v = page.pixels[y * line + i];
                    if (i < other) data[y * other + i] = v;
                    if (i >= other) expected.pixels[y * line + i] = 0;
                }
            cups_page_header2_t h = HeaderFor(page);
            h.cupsBytesPerLine = static_cast<unsigned>(other);
            EXPECT_EQ(Print(ppd, MakeRasterWithHeaders({h}, {data})),
                      Print(ppd, MakeRaster({expected})))
                << bits << " bits, lines of " << other << " bytes";
        }
    }
}

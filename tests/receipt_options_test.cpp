// BandHeight, BlankFeed and WhiteRunLimit through the real filter, checked on
// the dots the preview decoder reads back and on its count of raster commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/EscPosBytes.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/PreviewStreams.h"
#include "support/RasterWriter.h"

namespace {
constexpr unsigned kWidth = 64;

std::vector<PpdOption> ReceiptOptions() {
    return {{"BandHeight", {"0", "2", "24", "255", "-24", "99999999999"}, ""},
            {"BlankFeed", {"0", "1", "On"}, ""},
            {"WhiteRunLimit", {"0", "3", "10", "-5", "99999999999"}, ""},
            {"ImageCompress", {"0", "1"}, ""}};
}

// A page of black rows (dots at both edges) with the given white runs
// between them: black, run[0], black, ..., run[n-1], black.
TestPage RunsPage(const std::vector<unsigned>& runs) {
    unsigned height = static_cast<unsigned>(runs.size()) + 1;
    for (unsigned r : runs) height += r;
    TestPage page = MakePage(kWidth, height, 0xFF, 1);
    unsigned y = 0;
    for (size_t i = 0; i <= runs.size(); i++) {
        page.SetBit(0, y, false);
        page.SetBit(kWidth - 1, y, false);
        y += 1 + (i < runs.size() ? runs[i] : 0);
    }
    return page;
}

// The page's dots as the decoder gives them (set bit = dot).
TestBitmap Dots(const TestPage& page) {
    return {kWidth / 8, page.height, PrinterRows(page, kWidth / 8)};
}

struct Printed {
    tagDecodedPage page;
    std::string raster;  // the decoder's count of rows and raster commands
};

Printed PrintOne(int model, const TestPage& page, const std::string& options) {
    FilterResult run = RunFilter(WritePpd(model, ReceiptOptions()), MakeRaster({page}), options);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    tagDecodeResult r = DecodeStream(run.out.data(), run.out.size(), {});
    EXPECT_FALSE(r.error.failed) << r.error.message;
    if (r.pages.size() != 1) {
        ADD_FAILURE() << r.pages.size() << " pages";
        return {};
    }
    return {r.pages[0], SettingOf(r.pages[0].settings, "raster")};
}

struct Language {
    const char* name;
    int model;
    const char* options;
    bool bands;  // takes BandHeight and BlankFeed
};
const Language kLanguages[] = {{"ESC/POS", 21, "", true},
                               {"PeriPage", 24, "", true},
                               {"PeriPage deflate", 24, "ImageCompress=1 ", true},
                               {"Paperang", 23, "", false}};
}  // namespace

TEST(ReceiptOptions, EveryCombinationPrintsTheSameDotsWithWhiteRunsLimited) {
    const std::vector<unsigned> runs = {1, 254, 255, 256, 600};
    const TestPage page = RunsPage(runs);  // 1372 rows
    struct Case {
        const char* options;
        unsigned limit;      // white rows kept per run; 0: all
        const char* raster;  // rows and raster commands on ESC/POS and PeriPage
    } cases[] = {
        {"", 0, "1372 rows"},
        {"BlankFeed=1", 0, "6 rows in 6 commands"},
        {"BandHeight=24", 0, "1372 rows in 58 commands"},
        {"BandHeight=255", 0, "1372 rows in 6 commands"},
        {"WhiteRunLimit=10", 79, "323 rows"},
        {"BandHeight=24 BlankFeed=1 WhiteRunLimit=3", 23, "6 rows in 6 commands"},
        // Outside the choices: saturated or negative values act as the default.
        {"BandHeight=99999999999 WhiteRunLimit=99999999999", 0, "1372 rows"},
        {"BandHeight=-24 BlankFeed=On WhiteRunLimit=-5", 0, "1372 rows"},
    };
    for (const Language& lang : kLanguages) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(lang.name) + " [" + c.options + "]");
            std::vector<unsigned> kept = runs;
            if (c.limit > 0)
                for (unsigned& r : kept) r = std::min(r, c.limit);
            const Printed p = PrintOne(lang.model, page, lang.options + std::string(c.options));
            ExpectPage(p.page, Dots(RunsPage(kept)));
            if (lang.bands) {
                EXPECT_EQ(p.raster, c.raster);
            }
        }
    }
}

TEST(ReceiptOptions, BandsOfAPageJustAboveAndBelowMultiplesOf255Rows) {
    struct Case {
        unsigned band, rows;
        const char* raster;
    } cases[] = {{24, 509, "509 rows in 22 commands"}, {24, 511, "511 rows in 22 commands"},
                 {255, 509, "509 rows in 2 commands"}, {255, 511, "511 rows in 3 commands"},
                 {255, 764, "764 rows in 3 commands"}, {255, 766, "766 rows in 4 commands"}};
    for (const Language& lang : kLanguages) {
        if (!lang.bands) continue;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(lang.name) + " " + std::to_string(c.rows));
            const TestPage page = PatternPage(kWidth, c.rows);
            const std::string band = "BandHeight=" + std::to_string(c.band);
            const Printed p = PrintOne(lang.model, page, lang.options + band);
            ExpectPage(p.page, Dots(page));
            EXPECT_EQ(p.raster, c.raster);
        }
    }
}

TEST(ReceiptOptions, WhiteRowsGoOutAsFeedsBetweenBands) {
    // Rows: white, black, white, white, three black, white.
    TestPage page = MakePage(8, 8, 0xFF, 1);
    for (unsigned y : {1u, 4u, 5u, 6u}) page.SetBit(y, y, false);
    auto raster = [](uint8_t rows, Bytes data) {
        return Bytes{0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, rows, 0x00} + data;
    };
    auto feed = [](uint8_t dots) { return Bytes{0x1B, 0x4A, dots}; };
    const Bytes expected = Bytes{0x1B, 0x40, 0x00, 0x1B, 0x61, 0x01} + feed(1) + raster(1, {0x40}) +
                           feed(2) + raster(2, {0x08, 0x04}) + raster(1, {0x02}) + feed(1);
    // A white page is all feed.
    const TestPage blank = MakePage(8, 300, 0xFF, 1);
    const Bytes blankFeed = Bytes{0x1B, 0x40, 0x00, 0x1B, 0x61, 0x01} + feed(255) + feed(45);
    FilterResult run = RunFilter(WritePpd(21, ReceiptOptions()), MakeRaster({page, blank}),
                                 "BandHeight=2 BlankFeed=1");
    EXPECT_EQ(run.out, expected + blankFeed);
    // The feeds at both ends are part of the page; the white page has no dots.
    tagDecodeResult r = DecodeStream(run.out.data(), run.out.size(), {});
    ASSERT_EQ(r.pages.size(), 2u);
    ExpectPage(r.pages[0], {1, 8, PrinterRows(page, 1)});
    EXPECT_FALSE(r.pages[1].HasBitmap());
}

// Golden bytes of the Brother QL, DYMO LabelWriter, Star raster, Brother
// P-touch and Phomemo encoders, through the filter with the real PPDs: one
// table per family of options and pages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "languages/star/Row.h"
#include "support/FilterRunner.h"
#include "support/RasterWriter.h"

namespace {

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            i++;
            continue;
        }
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

std::vector<uint8_t> Concat(const std::vector<std::string>& parts) {
    std::vector<uint8_t> all;
    for (const std::string& p : parts) {
        const std::vector<uint8_t> b = Hex(p);
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

std::string Repeat(const std::string& hex, int n) {
    std::string s;
    for (int i = 0; i < n; i++) s += hex + " ";
    return s;
}

// A 1-bit page (1 = white) with black dots at the given (x, y).
TestPage Dots(unsigned width, unsigned height, unsigned ydpi,
              const std::vector<std::pair<unsigned, unsigned>>& dots) {
    TestPage page = MakePage(width, height, 0xFF, 1, 300);
    page.ydpi = ydpi;
    for (auto [x, y] : dots) page.SetBit(x, y, false);
    return page;
}

std::vector<uint8_t> Print(const char* ppd, const std::vector<TestPage>& pages,
                           const std::string& options) {
    const FilterResult run =
        RunFilter(std::string(PPD_DIR) + "/" + ppd + ".ppd", MakeRaster(pages), options);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return run.out;
}

}  // namespace

// A 29 mm tape page (306 dots) with its leftmost dot lands on the last pin
// of the tape's span (408 + 305 = pin 713, byte 89 bit 0x40): the line is
// mirrored.
TEST(LabelRaster, BrotherQlGoldenBytes) {
    const std::string invalidate = Repeat("00", 200) + "1B 40";
    const std::string line = "67 00 5A " + Repeat("00", 89) + "40";
    const std::string packed = "67 00 04 A8 00 00 40";
    const TestPage tape = Dots(306, 1, 300, {{0, 0}});
    struct Case {
        const char* options;
        std::vector<TestPage> pages;
        std::vector<std::string> bytes;
    };
    const Case cases[] = {
        {"zeMediaTracking=Continuous AutoCut=0 CutAtEnd=0 ImageCompress=0",
         {tape},
         {invalidate, "1B 69 61 01 1B 69 7A 86 0A 1D 00 01 00 00 00 00 00 1B 69 4D 00",
          "1B 69 4B 00 1B 69 64 23 00 4D 00", line, "1A"}},
        {"zeMediaTracking=Continuous CutEvery=3",
         {tape, tape},
         {invalidate, "1B 69 61 01 1B 69 7A 86 0A 1D 00 01 00 00 00 00 00 1B 69 4D 40",
          "1B 69 41 03 1B 69 4B 08 1B 69 64 23 00 4D 02", packed, "0C",
          "1B 69 61 01 1B 69 7A 86 0A 1D 00 01 00 00 00 01 00 1B 69 4D 40",
          "1B 69 41 03 1B 69 4B 08 1B 69 64 23 00 4D 02", packed, "1A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(Print("brother-ql-300", c.pages, c.options), Concat(c.bytes));
    }
}

// A die-cut 29 x 90 mm page (342 x 1063 dots, 300 x 600: 2126 lines) is
// centred on the label's printed 306 x 991 dots (1982 lines).
TEST(LabelRaster, BrotherQlDieCutHeader) {
    struct Case {
        unsigned ydpi;
        const char* header;
    };
    const Case cases[] = {
        {300,
         "1B 69 7A 8E 0B 1D 5A DF 03 00 00 00 00 1B 69 4D 40 1B 69 41 01 1B 69 4B 08 "
         "1B 69 64 00 00 4D 02"},
        {600,
         "1B 69 7A 8E 0B 1D 5A BE 07 00 00 00 00 1B 69 4D 40 1B 69 41 01 1B 69 4B 48 "
         "1B 69 64 00 00 4D 02"},
    };
    for (const Case& c : cases) {
        const unsigned height = c.ydpi == 600 ? 2126 : 1063;
        const std::vector<uint8_t> out =
            Print("brother-ql-300", {Dots(342, height, c.ydpi, {})}, "");
        const std::vector<uint8_t> header = Hex(c.header);
        ASSERT_GT(out.size(), 206 + header.size());
        EXPECT_EQ(std::vector<uint8_t>(out.begin() + 206, out.begin() + 206 + header.size()),
                  header)
            << c.ydpi;
    }
}

// Lines as SYN bytes or ETB runs, whichever is shorter; white lines as
// feeds; a 16-dot label centred on the 84-byte head (tab 41).
TEST(LabelRaster, DymoGoldenBytes) {
    const std::vector<std::pair<unsigned, unsigned>> dots = {
        {0, 1}, {0, 2}, {1, 2},  {2, 2},  {3, 2},  {4, 2},  {5, 2},  {6, 2}, {7, 2},
        {8, 2}, {9, 2}, {10, 2}, {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}};
    const TestPage label = Dots(16, 4, 300, dots);
    const std::string lines = "1B 66 01 01 16 80 00 17 8F 1B 66 01 01";
    struct Case {
        const char* ppd;
        const char* options;
        std::vector<TestPage> pages;
        std::vector<std::string> bytes;
    };
    const Case cases[] = {
        {"dymo-lw-300", "", {label}, {"1B 40 1B 42 29 1B 44 02 1B 4C 00 3F 1B 68", lines, "1B 45"}},
        {"dymo-lw-300",
         "Darkness=3",
         {label, label},
         {"1B 40 1B 42 29 1B 44 02 1B 4C 00 3F 1B 68 1B 67", lines,
          "1B 47 1B 42 29 1B 44 02 1B 4C 00 3F 1B 68 1B 67", lines, "1B 45"}},
        {"dymo-lw-4xl",
         "Darkness=0",
         {Dots(16, 4, 600, dots)},
         {"1B 40 1B 42 4D 1B 44 02 1B 4C 00 7A 1B 69 1B 63", lines, "1B 45"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ppd) + " " + c.options);
        EXPECT_EQ(Print(c.ppd, c.pages, c.options), Concat(c.bytes));
    }
}

// The derived example of a tiny receipt: two rows, ten white rows as one
// ESC * r Y, a third row; numbers as ASCII digits and NUL. The application
// asks for the status (ESC ACK SOH) after the job. The cut and drawer
// options change the end-of-job mode and add the drawer kick (FS).
TEST(LabelRaster, StarGoldenBytes) {
    TestPage receipt = MakePage(16, 13, 0xFF, 1, 203);
    for (unsigned x : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) receipt.SetBit(x, 0, false);
    for (unsigned x : {0u, 1u, 2u, 3u, 12u, 13u, 14u, 15u}) receipt.SetBit(x, 1, false);
    for (unsigned x = 0; x < 16; x++) receipt.SetBit(x, 12, false);
    const std::string start = "1B 2A 72 41 1B 2A 72 51 32 00 1B 2A 72 50 30 00";
    const std::string rows = "62 02 00 FF 00 62 02 00 F0 0F 1B 2A 72 59 31 30 00 62 02 00 FF FF";
    const std::string end = "1B 0C 04 1B 2A 72 42";
    struct Case {
        const char* ppd;
        const char* options;
        std::vector<TestPage> pages;
        std::vector<std::string> bytes;
    };
    const Case cases[] = {
        {"star58",
         "CutMode=0 CashDrawer=2",
         {receipt},
         {start, "1B 2A 72 45 33 00", rows, end, "1C"}},
        {"star80",
         "CutMode=3 CashDrawer=1",
         {receipt, receipt},
         {"1C", start, "1B 2A 72 45 39 00 1B 2A 72 46 39 00", rows, "1B 0C 00", rows, end}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ppd) + " " + c.options);
        EXPECT_EQ(Print(c.ppd, c.pages, c.options), Concat(c.bytes));
    }
    std::vector<uint8_t> job = Print("star80", {receipt}, "");
    job.insert(job.end(), kStarStatus.query.begin(), kStarStatus.query.end());
    EXPECT_EQ(job, Hex("1B 2A 72 41 1B 2A 72 51 32 00 1B 2A 72 50 30 00 1B 2A 72 45 31 33 00 "
                       "62 02 00 FF 00 62 02 00 F0 0F 1B 2A 72 59 31 30 00 62 02 00 FF FF "
                       "1B 0C 04 1B 2A 72 42 1B 06 01"));
}

// The derived example of a 24 mm tape (a 170-dot page whose middle 128 dots
// print): pins 0-7, a white line as Z, all 128 pins; with PackBits the
// lines pack to 00 FF F2 00 and F1 FF. The example's status request is the
// application's, asked before the job. Two 12 mm pages chained, uncut:
// column 0 of the printed 70 lands on pin 29.
TEST(LabelRaster, PtouchGoldenBytes) {
    TestPage tape = MakePage(170, 3, 0xFF, 1, 180);
    for (unsigned x = 21; x < 149; x++) tape.SetBit(x, 2, false);
    for (unsigned x = 21; x < 29; x++) tape.SetBit(x, 0, false);
    TestPage narrow = MakePage(85, 1, 0xFF, 1, 180);
    narrow.SetBit(7, 0, false);
    // A line PackBits would not shorten, and a 3.5 mm tape's first printed
    // dot on pin 52.
    TestPage unpacked = MakePage(170, 1, 0xFF, 1, 180);
    for (unsigned pin = 0; pin < 128; pin++)
        unpacked.SetBit(21 + pin, 0, !((pin / 8 % 3 == 2 ? 0x55 : 0xAA) & (0x80 >> pin % 8)));
    TestPage thinnest = MakePage(25, 1, 0xFF, 1, 180);
    thinnest.SetBit(0, 0, false);
    const std::string start = Repeat("00", 100) + "1B 40 1B 69 61 01";
    const std::string cut = "1B 69 4D 40 1B 69 4B 08 1B 69 64 0E 00";
    const std::string chain = "1B 69 4D 00 1B 69 4B 00 1B 69 64 0E 00";
    const std::string narrowLine = "67 06 00 FE 00 00 04 F5 00";
    struct Case {
        const char* options;
        std::vector<TestPage> pages;
        std::vector<std::string> bytes;
    };
    const Case cases[] = {
        {"ImageCompress=0",
         {tape},
         {start, "1B 69 7A 86 01 18 00 03 00 00 00 00 00", cut, "4D 00",
          "67 10 00 FF " + Repeat("00", 15), "5A", "67 10 00 " + Repeat("FF", 16), "1A"}},
        {"",
         {tape},
         {start, "1B 69 7A 86 01 18 00 03 00 00 00 00 00", cut, "4D 02", "67 04 00 00 FF F2 00",
          "5A", "67 02 00 F1 FF", "1A"}},
        {"",
         {unpacked, thinnest},
         {start, "1B 69 7A 86 01 18 00 01 00 00 00 00 00", cut, "4D 02",
          "67 11 00 0F " + Repeat("AA AA 55", 5) + "AA",
          "0C 1B 69 61 01 1B 69 7A 86 01 04 00 01 00 00 00 01 00", cut, "4D 02",
          "67 06 00 FB 00 00 08 F8 00", "1A"}},
        {"AutoCut=0 CutAtEnd=0",
         {narrow, narrow},
         {start, "1B 69 7A 86 01 0C 00 01 00 00 00 00 00", chain, "4D 02", narrowLine,
          "0C 1B 69 61 01 1B 69 7A 86 01 0C 00 01 00 00 00 01 00", chain, "4D 02", narrowLine,
          "1A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(Print("ptouch-180", c.pages, c.options), Concat(c.bytes));
    }
}

// The derived examples of the Phomemo notes, one row each: an M02 receipt of
// two rows with the left 8 dots black; an M110 label one byte wide, two
// rows. Then the label header's settings and a page longer than one block
// (255 rows), which goes out as two blocks of the same page.
TEST(LabelRaster, PhomemoGoldenBytes) {
    TestPage receipt = MakePage(384, 2, 0xFF, 1, 203);
    for (unsigned y = 0; y < 2; y++)
        for (unsigned x = 0; x < 8; x++) receipt.SetBit(x, y, false);
    TestPage label = MakePage(8, 2, 0xFF, 1, 203);
    for (unsigned x : {0u, 1u, 2u, 3u}) label.SetBit(x, 0, false);
    for (unsigned x : {4u, 5u, 6u, 7u}) label.SetBit(x, 1, false);
    TestPage tall = MakePage(8, 256, 0xFF, 1, 203);
    for (unsigned y = 0; y < 256; y++) tall.SetBit(0, y, false);
    const std::string row = "FF " + Repeat("00", 47);
    const std::string labelEnd = "1F F0 05 00 1F F0 03 00";
    struct Case {
        const char* ppd;
        const char* options;
        TestPage page;
        std::vector<std::string> bytes;
    };
    const Case cases[] = {
        {"phomemo-m02",
         "",
         receipt,
         {"1B 40 1B 61 01 1F 11 02 04", "1D 76 30 00 30 00 02 00", row, row, "1B 64 02 1B 64 02",
          "1F 11 08 1F 11 0E 1F 11 07 1F 11 09"}},
        {"phomemo-m110",
         "",
         label,
         {"1B 4E 0D 03 1B 4E 04 08 1F 11 0A", "1D 76 30 00 01 00 02 00 F0 0F", labelEnd}},
        {"phomemo-m220",
         "zePrintRate=5 Darkness=14 zeMediaTracking=BLine",
         label,
         {"1B 4E 0D 05 1B 4E 04 0F 1F 11 26", "1D 76 30 00 01 00 02 00 F0 0F", labelEnd}},
        {"phomemo-m110",
         "zePrintRate=1 Darkness=0 zeMediaTracking=Continuous",
         tall,
         {"1B 4E 0D 01 1B 4E 04 01 1F 11 0B", "1D 76 30 00 01 00 FF 00", Repeat("80", 255),
          "1D 76 30 00 01 00 01 00 80", labelEnd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ppd) + " " + c.options);
        EXPECT_EQ(Print(c.ppd, {c.page}, c.options), Concat(c.bytes));
    }
}

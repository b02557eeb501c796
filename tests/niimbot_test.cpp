// NIIMBOT bytes through the filter, against the worked example of the
// protocol notes (checksums computed by hand) and its B1-style variant.

#include <gtest/gtest.h>

#include <string>

#include "support/EscPosBytes.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
const Bytes kDensity2 = {0x55, 0x55, 0x21, 0x01, 0x02, 0x22, 0xAA, 0xAA};
const Bytes kDensity3 = {0x55, 0x55, 0x21, 0x01, 0x03, 0x23, 0xAA, 0xAA};
const Bytes kGap = {0x55, 0x55, 0x23, 0x01, 0x01, 0x23, 0xAA, 0xAA};
const Bytes kContinuous = {0x55, 0x55, 0x23, 0x01, 0x03, 0x21, 0xAA, 0xAA};
const Bytes kShortStart = {0x55, 0x55, 0x01, 0x01, 0x01, 0x01, 0xAA, 0xAA,   // PrintStart
                           0x55, 0x55, 0x20, 0x01, 0x01, 0x20, 0xAA, 0xAA,   // PrintClear
                           0x55, 0x55, 0x03, 0x01, 0x01, 0x03, 0xAA, 0xAA};  // PageStart
const Bytes kLongStart = {0x55, 0x55, 0x01, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x07, 0xAA, 0xAA, 0x55, 0x55, 0x03, 0x01, 0x01, 0x03, 0xAA, 0xAA};
const Bytes kNineStart = {0x55, 0x55, 0x01, 0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x09, 0xAA, 0xAA, 0x55, 0x55, 0xDC, 0x01, 0x01, 0xDC, 0xAA, 0xAA};
const Bytes kNineSize = {0x55, 0x55, 0x13, 0x0D, 0x00, 0x08, 0x01, 0x80, 0x00, 0x01,
                         0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x96, 0xAA, 0xAA};
const Bytes kEnd = {0x55, 0x55, 0xE3, 0x01, 0x01, 0xE3, 0xAA, 0xAA,   // PageEnd
                    0x55, 0x55, 0xA3, 0x01, 0x01, 0xA3, 0xAA, 0xAA,   // PrintStatus
                    0x55, 0x55, 0xF3, 0x01, 0x01, 0xF3, 0xAA, 0xAA};  // PrintEnd
const Bytes kWhite0To2 = {0x55, 0x55, 0x84, 0x03, 0x00, 0x00, 0x03, 0x84, 0xAA, 0xAA};
const Bytes kWhite5To7 = {0x55, 0x55, 0x84, 0x03, 0x00, 0x05, 0x03, 0x81, 0xAA, 0xAA};

// Rows 3 and 4 with their first 32 dots black, the head `bytes` wide.
Bytes BarRows(uint8_t length, uint8_t check, size_t bytes) {
    Bytes b = {0x55, 0x55, 0x85, length, 0x00, 0x03, 0x20, 0x00, 0x00, 0x02};
    for (size_t i = 0; i < bytes; i++) b.push_back(i < 4 ? 0xFF : 0x00);
    return b + Bytes{check, 0xAA, 0xAA};
}

Bytes RunNiimbot(const char* model, const TestPage& page, const std::string& options) {
    const std::string ppd = WritePpd(
        31,
        {{"Darkness", {"Default", "2", "4"}, ""}, {"zeMediaTracking", {"Gap", "Continuous"}, ""}},
        false, std::string("*ModelName: \"") + model + "\"\n");
    FilterResult r = RunFilter(ppd, MakeRaster({page}), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.out;
}
}  // namespace

TEST(NiimbotPrinter, PagesBecomeThePrintSequenceOfTheModel) {
    const Bytes d110Size = {0x55, 0x55, 0x13, 0x04, 0x00, 0x08, 0x00, 0x60, 0x7F, 0xAA,
                            0xAA, 0x55, 0x55, 0x15, 0x02, 0x00, 0x01, 0x16, 0xAA, 0xAA};
    const Bytes d110Rows = kWhite0To2 + BarRows(0x12, 0xB6, 12) + kWhite5To7;
    const Bytes b1Size = {0x55, 0x55, 0x13, 0x06, 0x00, 0x08, 0x01,
                          0x80, 0x00, 0x01, 0x9D, 0xAA, 0xAA};
    struct Case {
        const char* model;
        const char* options;
        unsigned width;
        Bytes expected;
    };
    const Case cases[] = {
        // The notes' worked example, packet for packet.
        {"NIIMBOT D11 203dpi", "Darkness=2", 96,
         kDensity3 + kGap + kShortStart + d110Size + d110Rows + kEnd},
        // The D-series stops at density 3; continuous paper is label type 3.
        {"NIIMBOT D11 203dpi", "Darkness=4 zeMediaTracking=Continuous", 96,
         kDensity3 + kContinuous + kShortStart + d110Size + d110Rows + kEnd},
        // Its B1-style variant: long print start, page size with copies, 48-byte
        // rows counted in 16-byte thirds; the usual density of the B-series is 3.
        {"NIIMBOT B21 203dpi", "", 384,
         kDensity3 + kGap + kLongStart + b1Size + kWhite0To2 + BarRows(0x36, 0x92, 48) +
             kWhite5To7 + kEnd},
        // The nine-byte generation: print start of 9 bytes and a heartbeat, no
        // page start, a 13-byte page size with 1 copy.
        {"NIIMBOT B21_PRO", "", 384,
         kDensity3 + kGap + kNineStart + kNineSize + kWhite0To2 + BarRows(0x36, 0x92, 48) +
             kWhite5To7 + kEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        SCOPED_TRACE(c.options);
        TestPage page = MakePage(c.width, 8, 0xFF, 1);
        for (unsigned y = 3; y <= 4; y++)
            for (unsigned x = 0; x < 32; x++) page.SetBit(x, y, false);
        EXPECT_EQ(RunNiimbot(c.model, page, c.options), c.expected);
    }
}

// A 30 x 12 mm label (240 x 96 dots) on the D-series is turned a quarter turn
// clockwise: head row 0 is the page's left column read from the bottom up,
// so the page's top-left dot is the head row's last dot. Long white runs
// split at 255 rows.
TEST(NiimbotPrinter, DSeriesTurnsLabelsOntoTheNarrowHead) {
    TestPage label = MakePage(240, 96, 0xFF, 1);
    label.SetBit(0, 0, false);
    Bytes row0 = {0x55, 0x55, 0x85, 0x12, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01};
    row0 = row0 + Bytes(11, 0x00) + Bytes{0x01, 0x96, 0xAA, 0xAA};
    const Bytes size = {0x55, 0x55, 0x13, 0x04, 0x00, 0xF0, 0x00, 0x60, 0x87, 0xAA,
                        0xAA, 0x55, 0x55, 0x15, 0x02, 0x00, 0x01, 0x16, 0xAA, 0xAA};
    const Bytes white = {0x55, 0x55, 0x84, 0x03, 0x00, 0x01, 0xEF, 0x69, 0xAA, 0xAA};
    EXPECT_EQ(RunNiimbot("NIIMBOT D11 203dpi", label, ""),
              kDensity2 + kGap + kShortStart + size + row0 + white + kEnd);

    // The B-series prints it as it comes; 300 white rows are two runs.
    const Bytes b1Size = {0x55, 0x55, 0x13, 0x06, 0x01, 0x2C, 0x01,
                          0x80, 0x00, 0x01, 0xB8, 0xAA, 0xAA};
    const Bytes runs = {0x55, 0x55, 0x84, 0x03, 0x00, 0x00, 0xFF, 0x78, 0xAA, 0xAA,
                        0x55, 0x55, 0x84, 0x03, 0x00, 0xFF, 0x2D, 0x55, 0xAA, 0xAA};
    EXPECT_EQ(RunNiimbot("NIIMBOT B21 203dpi", MakePage(384, 300, 0xFF, 1), ""),
              kDensity3 + kGap + kLongStart + b1Size + runs + kEnd);
}

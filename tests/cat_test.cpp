// Cat printer bytes through the filter, against the worked packets of the
// protocol notes (CRCs included) and packets built from them.

#include <gtest/gtest.h>

#include <string>

#include "support/EscPosBytes.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
const Bytes kStatus = {0x51, 0x78, 0xA3, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF};
const Bytes kQuality = {0x51, 0x78, 0xA4, 0x00, 0x01, 0x00, 0x33, 0x99, 0xFF};
const Bytes kLatticeStart = {0x51, 0x78, 0xA6, 0x00, 0x0B, 0x00, 0xAA, 0x55, 0x17, 0x38,
                             0x44, 0x5F, 0x5F, 0x5F, 0x44, 0x38, 0x2C, 0xA1, 0xFF};
const Bytes kLatticeEnd = {0x51, 0x78, 0xA6, 0x00, 0x0B, 0x00, 0xAA, 0x55, 0x17, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x17, 0x11, 0xFF};
const Bytes kImageMode = {0x51, 0x78, 0xBE, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF};

Bytes Energy(uint8_t high, uint8_t crc) {
    return {0x51, 0x78, 0xAF, 0x00, 0x02, 0x00, 0x00, high, crc, 0xFF};
}
Bytes Speed(uint8_t speed, uint8_t crc) {
    return {0x51, 0x78, 0xBD, 0x00, 0x01, 0x00, speed, crc, 0xFF};
}
Bytes Feed(uint8_t rows, uint8_t crc) {
    return {0x51, 0x78, 0xA1, 0x00, 0x02, 0x00, rows, 0x00, crc, 0xFF};
}
// A dot line with one byte set.
Bytes Line(size_t index, uint8_t value, uint8_t crc) {
    Bytes data(48, 0);
    data[index] = value;
    return Bytes{0x51, 0x78, 0xA2, 0x00, 0x30, 0x00} + data + Bytes{crc, 0xFF};
}

const Bytes kUsualEnergy = Energy(0x28, 0xD8), kUsualSpeed = Speed(0x20, 0xE0);
const Bytes kFeed80 = {0x51, 0x78, 0xA1, 0x00, 0x02, 0x00, 0x50, 0x00, 0x0C, 0xFF};
const Bytes kFirstLine = [] {
    Bytes l = Line(0, 0x01, 0xBB);
    l[7] = 0x02;  // dot 9: the second byte's bit 1
    return l;
}();
const Bytes kLastDotLine = Line(47, 0x80, 0x89);

Bytes Print(const Bytes& energy, const Bytes& speed, const Bytes& lines) {
    return kStatus + kQuality + kLatticeStart + energy + kImageMode + speed + lines + kLatticeEnd +
           kStatus;
}

// 384 dots wide: dots 0 and 9 on the first row, dot 383 on the last, and
// `white` white rows between them.
TestPage DotsPage(unsigned white, unsigned whiteAtEnd = 0) {
    TestPage p = MakePage(384, white + 2 + whiteAtEnd, 0xFF, 1);
    p.SetBit(0, 0, false);
    p.SetBit(9, 0, false);
    p.SetBit(383, white + 1, false);
    return p;
}

Bytes RunCat(const std::vector<TestPage>& pages, const std::string& options) {
    const std::string ppd = WritePpd(29, {{"Darkness", {"3", "0", "6"}, ""},
                                          {"zePrintRate", {"Default", "8"}, ""},
                                          {"FeedOffset", {"10", "0"}, ""},
                                          {"WhiteRunLimit", {"0", "3"}, ""}});
    FilterResult r = RunFilter(ppd, MakeRaster(pages), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.out;
}
}  // namespace

TEST(CatPrinter, PagesBecomePacketsAsTheNotesShowThem) {
    struct Case {
        const char* options;
        TestPage page;
        Bytes expected;
    };
    const Case cases[] = {
        // Status, quality, lattice start and the 80-row (10 mm) tear-off feed
        // are the worked packets; one white row is one feed row.
        {"", DotsPage(1),
         Print(kUsualEnergy, kUsualSpeed, kFirstLine + Feed(1, 0x15) + kLastDotLine + kFeed80)},
        {"Darkness=0 zePrintRate=8", DotsPage(0),
         Print(Energy(0x10, 0x70), Speed(8, 0x38), kFirstLine + kLastDotLine + kFeed80)},
        {"Darkness=6", DotsPage(0),
         Print(Energy(0x40, 0xC7), kUsualSpeed, kFirstLine + kLastDotLine + kFeed80)},
        // 300 white rows: feeds of at most 255 rows, no blank lines.
        {"", DotsPage(300),
         Print(kUsualEnergy, kUsualSpeed,
               kFirstLine + Feed(255, 0xD7) + Feed(45, 0x47) + kLastDotLine + kFeed80)},
        // White at the end goes out with the tear-off feed.
        {"", DotsPage(0, 1),
         Print(kUsualEnergy, kUsualSpeed, kFirstLine + kLastDotLine + Feed(81, 0x19))},
        {"FeedOffset=0", DotsPage(0, 45),
         Print(kUsualEnergy, kUsualSpeed, kFirstLine + kLastDotLine + Feed(45, 0x47))},
        // White stretches shortened to 3 mm (23 rows) first.
        {"WhiteRunLimit=3 FeedOffset=0", DotsPage(300),
         Print(kUsualEnergy, kUsualSpeed, kFirstLine + Feed(23, 0x3C) + kLastDotLine)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        SCOPED_TRACE(c.page.height);
        EXPECT_EQ(RunCat({c.page}, c.options), c.expected);
    }
}

// Pages narrower or wider than the head are centred on it.
TEST(CatPrinter, PagesAreCentredOnTheHead) {
    TestPage narrow = MakePage(368, 1, 0xFF, 1);  // 8 dots of white at each side
    narrow.SetBit(0, 0, false);
    TestPage wide = MakePage(400, 1, 0xFF, 1);  // 8 dots cut at each side
    wide.SetBit(7, 0, false);                   // cut off
    wide.SetBit(16, 0, false);
    const Bytes expected = Print(kUsualEnergy, kUsualSpeed, Line(1, 0x01, 0xDA) + kFeed80);
    EXPECT_EQ(RunCat({narrow}, ""), expected) << "narrow";
    EXPECT_EQ(RunCat({wide}, ""), expected) << "wide";
}

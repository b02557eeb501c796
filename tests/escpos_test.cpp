#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "languages/escpos/Encoder.h"
#include "support/EscPosBytes.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
const Bytes kInitCentre = {0x1B, 0x40, 0x00, 0x1B, 0x61, 0x01};

std::string EscPosPpd() {
    return WritePpd(21, {{"FeedOffset", {"0", "10", "32", "40", "64", "-5", "2147483647"}, ""}});
}

Bytes RunEscPos(const std::vector<TestPage>& pages, const std::string& options = "") {
    FilterResult r = RunFilter(EscPosPpd(), MakeRaster(pages), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.out;
}

Bytes RasterHeader(uint8_t mode, unsigned rowBytes, unsigned rows) {
    return {0x1D,
            0x76,
            0x30,
            mode,
            static_cast<uint8_t>(rowBytes & 0xFF),
            static_cast<uint8_t>(rowBytes >> 8),
            static_cast<uint8_t>(rows & 0xFF),
            static_cast<uint8_t>(rows >> 8)};
}

// 10 x 3 page: one dot at the left of row 0, one at the right of row 1.
TestPage SmallPage() {
    TestPage p = MakePage(10, 3, 0xFF, 1);
    p.SetBit(0, 0, false);
    p.SetBit(9, 1, false);
    return p;
}
const Bytes kSmallPageRows = {0x80, 0x00, 0x00, 0x40, 0x00, 0x00};
}  // namespace

TEST(EscPos, EachPageIsInitCentreAndOneRasterImage) {
    Bytes page = kInitCentre + RasterHeader(0x00, 2, 3) + kSmallPageRows;
    EXPECT_EQ(RunEscPos({SmallPage()}), page);
    EXPECT_EQ(RunEscPos({SmallPage(), SmallPage()}), page + page);
}

TEST(EscPos, RowsAreSentWithoutTheirFillerBytes) {
    for (unsigned width : {384u, 100u}) {
        TestPage p = PatternPage(width, 5);
        unsigned rowBytes = (width + 7) / 8;
        EXPECT_EQ(RunEscPos({p}),
                  kInitCentre + RasterHeader(0x00, rowBytes, 5) + PrinterRows(p, rowBytes))
            << width;
    }
}

TEST(EscPos, ModeByteFollowsResolution) {
    for (auto [dpi, mode] : {std::pair{100u, 0x03}, {150u, 0x00}, {203u, 0x00}, {300u, 0x00}}) {
        TestPage p = SmallPage();
        p.dpi = dpi;
        Bytes out = RunEscPos({p});
        ASSERT_GT(out.size(), 9u);
        EXPECT_EQ(out[9], mode) << dpi;
    }
}

TEST(EscPos, FeedAfterPageInStepsOfAtMost255Dots) {
    const Bytes body = kInitCentre + RasterHeader(0x00, 2, 3) + kSmallPageRows;
    const Bytes ff = {0x1B, 0x4A, 0xFF};
    struct Case {
        const char* mm;
        Bytes feed;
    };
    for (const Case& c : {Case{"0", {}}, Case{"-5", {}}, Case{"10", {0x1B, 0x4A, 0x4F}},  // 79 dots
                          Case{"32", ff},                                 // 255 dots
                          Case{"40", ff + Bytes{0x1B, 0x4A, 0x40}},       // 319 dots
                          Case{"64", ff + ff + Bytes{0x1B, 0x4A, 0x01}},  // 511 dots
                          Case{"2147483647", Repeat(ff, 257)}}) {         // held to 65535
        EXPECT_EQ(RunEscPos({SmallPage()}, std::string("FeedOffset=") + c.mm), body + c.feed)
            << c.mm;
    }
}

TEST(EscPos, HostileResolutionsGiveBoundedFeeds) {
    // 2147483647 dpi overflows 32 bits in the product; 4294967295 arrives as -1.
    for (unsigned dpi : {2147483647u, 4294967295u}) {
        TestPage p = SmallPage();
        p.dpi = dpi;
        Bytes out = RunEscPos({p}, "FeedOffset=2147483647");
        Bytes expected =
            dpi == 2147483647u ? Repeat({0x1B, 0x4A, 0xFF}, 257) : Bytes{0x1B, 0x4A, 0x00};
        ASSERT_GE(out.size(), expected.size());
        EXPECT_EQ(Bytes(out.end() - static_cast<long>(expected.size()), out.end()), expected)
            << dpi;
    }
}

TEST(EscPos, TallPageGoesOutAsConsecutiveRasterCommands) {
    for (unsigned rows : {65535u, 65538u}) {
        TestPage p = MakePage(8, rows, 0xFF, 1);
        p.SetBit(0, 0, false);
        p.SetBit(7, rows - 1, false);
        Bytes data = PrinterRows(p, 1);
        Bytes expected =
            kInitCentre + RasterHeader(0x00, 1, 65535) + Bytes(data.begin(), data.begin() + 65535);
        if (rows > 65535)
            expected = expected + RasterHeader(0x00, 1, rows - 65535) +
                       Bytes(data.begin() + 65535, data.end());
        EXPECT_EQ(RunEscPos({p}), expected) << rows;
    }
}

TEST(EscPos, PageWiderThanOneCommandIsSkipped) {
    TestPage widest = MakePage(65535 * 8, 1, 0xFF, 1);
    TestPage tooWide = MakePage(65536 * 8, 1, 0xFF, 1);
    Bytes out = RunEscPos({tooWide, SmallPage(), widest});
    Bytes expected = kInitCentre + RasterHeader(0x00, 2, 3) + kSmallPageRows + kInitCentre +
                     RasterHeader(0x00, 65535, 1) + Bytes(65535, 0x00);
    EXPECT_EQ(out, expected);
}

namespace {
// The encoder alone, its output captured per WriteSpool call.
class CapturedEscPos : public CPrinterESCPOS {
public:
    std::vector<Bytes> spools;
    void WriteSpool(const void* data, int length) override {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        spools.emplace_back(p, p + length);
    }
    void PrintPage() {
        const uint8_t row[4] = {0x7F, 0xFF, 0xFF, 0xFF};  // 8 dots wide, first dot black
        image.CreateFromArray(row, 8, 1, 1, 4, false);
        iDpi = 203;
        OnPaintBmp();
    }
};

const Bytes kUnitPage = kInitCentre + RasterHeader(0x00, 1, 1) + Bytes{0x80};
const Bytes kFullCut = {0x1D, 0x56, 0x30}, kPartialCut = {0x1D, 0x56, 0x31};
const Bytes kPulse = {0x1B, 0x70, 0x00, 0xFF, 0xFF};

std::vector<Bytes> RunTwoPages(int cutMode, int drawer, int feedMm = 0) {
    CapturedEscPos p;
    p.reg.iCutMode = cutMode;
    p.reg.iCashDrawer = drawer;
    p.reg.iFeedAfter = feedMm;
    p.PrintPage();
    p.PrintPage();
    p.OnEndDoc();
    return p.spools;
}
}  // namespace

TEST(EscPosEncoder, CutModesCutAtDocumentEndOrAfterEveryPage) {
    using V = std::vector<Bytes>;
    EXPECT_EQ(RunTwoPages(0, 0), (V{kUnitPage, kUnitPage}));
    EXPECT_EQ(RunTwoPages(5, 0), (V{kUnitPage, kUnitPage}));
    EXPECT_EQ(RunTwoPages(1, 0), (V{kUnitPage, kUnitPage, kFullCut}));
    EXPECT_EQ(RunTwoPages(2, 0), (V{kUnitPage, kUnitPage, kPartialCut}));
    EXPECT_EQ(RunTwoPages(3, 0), (V{kUnitPage + kFullCut, kUnitPage + kFullCut}));
    EXPECT_EQ(RunTwoPages(4, 0), (V{kUnitPage + kPartialCut, kUnitPage + kPartialCut}));
}

// The drawer opens once per job: before the first page's init, or after the
// last page's feed and cut (and the job's own cut).
TEST(EscPosEncoder, DrawerPulseOncePerJobBeforeOrAfterIt) {
    using V = std::vector<Bytes>;
    const Bytes feed = {0x1B, 0x4A, 0x4F};
    const Bytes page = kUnitPage + feed + kFullCut;
    EXPECT_EQ(RunTwoPages(3, 1, 10), (V{kPulse + page, page}));
    EXPECT_EQ(RunTwoPages(3, 2, 10), (V{page, page, kPulse}));
    EXPECT_EQ(RunTwoPages(2, 2), (V{kUnitPage, kUnitPage, kPartialCut + kPulse}));
    EXPECT_EQ(RunTwoPages(0, 3), (V{kUnitPage, kUnitPage}));
    CapturedEscPos empty;
    empty.reg.iCashDrawer = 2;
    empty.OnEndDoc();
    EXPECT_TRUE(empty.spools.empty());
}

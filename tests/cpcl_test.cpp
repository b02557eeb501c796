#include <gtest/gtest.h>

#include <climits>

#include "languages/cpcl/Encoder.h"
#include "support/FilterRunner.h"
#include "support/LabelEncoderSupport.h"
#include "support/PpdWriter.h"

namespace {
const std::string& CpclPpd() {
    static const std::string path = WritePpd(
        22,
        {{"zeMediaTracking", {"Gap", "Continuous", "BLine", "Perforated", "Roll", "Recording"}, ""},
         {"AdjustHoriaontal", {"0", "3"}, ""}});
    return path;
}

std::string Print(const std::vector<TestPage>& pages, const std::string& options = "") {
    FilterResult r = RunFilter(CpclPpd(), MakeRaster(pages), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.outText();
}

TestPage Page(unsigned w, unsigned h, unsigned seed = 1) {
    TestPage p = MakePage(w, h, 0xFF, 1);
    for (size_t i = 0; i < p.pixels.size(); i++)
        p.pixels[i] = static_cast<uint8_t>(i * 53 + seed * 71);
    return p;
}

std::string Label16x2(const TestPage& p, const std::string& form = "FORM\r\n") {
    return "! 0 200 200 2 1\r\nPAGE-WIDTH 16\r\nCG 4 2 0 0\r\n" + Text(Inverted(StoredRows(p))) +
           form + "PRINT\r\n";
}
}  // namespace

TEST(CpclFilter, WritesTheLabelByteForByte) {
    TestPage p = MakePage(16, 2, 0xFF, 1);
    p.pixels = {0x0F, 0xA5, 0xFF, 0x00};
    std::string bits("\xF0\x5A\x00\x00\x00\xFF\x00\x00", 8);
    EXPECT_EQ(Print({p}),
              "! 0 200 200 2 1\r\nPAGE-WIDTH 16\r\nCG 4 2 0 0\r\n" + bits + "FORM\r\nPRINT\r\n");
}

TEST(CpclFilter, EachPageIsOneLabelAndNothingElse) {
    std::vector<TestPage> pages = {Page(16, 2, 1), Page(16, 2, 2), Page(16, 2, 3)};
    EXPECT_EQ(Print(pages), Label16x2(pages[0]) + Label16x2(pages[1]) + Label16x2(pages[2]));
}

TEST(CpclFilter, FormOnlyForGapAndMarkMedia) {
    TestPage p = Page(16, 2);
    EXPECT_EQ(Print({p}, "zeMediaTracking=BLine"), Label16x2(p));
    for (const char* media : {"Continuous", "Perforated", "Roll", "Recording"})
        EXPECT_EQ(Print({p}, std::string("zeMediaTracking=") + media), Label16x2(p, "")) << media;
}

TEST(CpclFilter, HundredDotRowsEndInClearFiller) {
    std::string row(12, '\xFF');
    row += std::string("\xF0\x00\x00\x00", 4);
    EXPECT_EQ(
        Print({MakePage(100, 2, 0x00, 1)}),
        "! 0 200 200 2 1\r\nPAGE-WIDTH 100\r\nCG 16 2 0 0\r\n" + row + row + "FORM\r\nPRINT\r\n");
}

TEST(CpclFilter, OffsetIsEightTimesTheReference) {
    // The option's 3 becomes a reference of 24, written as 192.
    EXPECT_TRUE(Print({Page(16, 2)}, "AdjustHoriaontal=3").starts_with("! 192 200 200 2 1\r\n"));
}

TEST(CpclEncoder, OneWritePerCommand) {
    CCaptureEncoder<CPrinterCPCL> enc;
    enc.reg.iReference[0] = 3;
    enc.reg.iGap[0] = 1;
    TestPage p = Page(16, 2);
    enc.Paint(p);
    std::vector<std::string> expected = {
        "! 24 200 200 2 1\r\n",        "PAGE-WIDTH 16\r\n", "CG 4 2 0 0\r\n",
        Text(Inverted(StoredRows(p))), "FORM\r\n",          "PRINT\r\n"};
    EXPECT_EQ(enc.writes, expected);

    enc.reg.iReference[0] = INT_MAX;  // wraps as a 32-bit product
    enc.reg.iGap[0] = 2;
    enc.Paint(p);
    EXPECT_EQ(enc.writes.size(), 6u);
    EXPECT_EQ(enc.writes[0], "! -8 200 200 2 1\r\n");
}

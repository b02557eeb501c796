#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filter/CupsRender.h"

namespace {
// A render at 203 dpi holding a white 1-bit page of w x h pixels.
struct PageRender : CBaseRender {
    PageRender(uint32_t w, uint32_t h) {
        iDpi = 203;
        image.Create(w, h, 1, 0);
        image.SetGrayPalette();
        std::memset(image.GetBits(0), 0xFF, image.GetEffWidth() * h);
    }
    void Ink(int32_t x, int32_t y) { image.SetPixelIndex(x, y, 0); }
    bool IsInk(int32_t x, int32_t y) const { return image.GetPixelIndex(x, y) == 0; }
};
}  // namespace

TEST(CropWhiteEdge, NoLimitsOrNoInkLeaveThePageAlone) {
    PageRender r(64, 64);
    uint8_t* before = r.image.GetBits(0);
    r.CropWhiteEdge(0, 0, 0, 0);
    EXPECT_EQ(r.image.GetBits(0), before);
    r.CropWhiteEdge(-1, -1, -1, -1);  // a blank page has no edge to find
    EXPECT_EQ(r.image.GetWidth(), 64u);
    EXPECT_EQ(r.image.GetHeight(), 64u);
}

TEST(CropWhiteEdge, TopLimitIsCountedInMillimetres) {
    PageRender far(16, 200);
    far.Ink(3, 100);
    far.CropWhiteEdge(5, 0, 0, 0);  // 5 mm = 40 dots at 203 dpi
    EXPECT_EQ(far.image.GetHeight(), 160u);
    EXPECT_TRUE(far.IsInk(3, 60));

    PageRender near(16, 200);
    near.Ink(3, 10);
    near.CropWhiteEdge(5, 0, 0, 0);
    EXPECT_EQ(near.image.GetHeight(), 190u);
    EXPECT_TRUE(near.IsInk(3, 0));
}

TEST(CropWhiteEdge, RightSideRemovesOneColumnMoreThanItsLimit) {
    PageRender right(100, 4);
    right.Ink(49, 2);  // last 50 columns white
    right.CropWhiteEdge(0, 0, 0, 1);
    EXPECT_EQ(right.image.GetWidth(), 91u);

    PageRender left(100, 4);
    left.Ink(50, 2);  // first 50 columns white
    left.CropWhiteEdge(0, 0, 1, 0);
    EXPECT_EQ(left.image.GetWidth(), 92u);
    EXPECT_TRUE(left.IsInk(42, 2));
}

TEST(CropWhiteEdge, UnlimitedTopAndBottomTrimToTheInk) {
    PageRender r(40, 300);
    r.Ink(5, 20);
    r.Ink(30, 250);
    r.CropWhiteEdge(-1, -1, 0, 0);
    EXPECT_EQ(r.image.GetWidth(), 40u);
    EXPECT_EQ(r.image.GetHeight(), 231u);
    EXPECT_TRUE(r.IsInk(5, 0));
    EXPECT_TRUE(r.IsInk(30, 230));
}

TEST(CropWhiteEdge, FillerBitsAreNotInk) {
    PageRender r(10, 20);  // six filler bits and two filler bytes per row, all clear
    std::memset(r.image.GetBits(0), 0x00, r.image.GetEffWidth() * 20);
    for (uint32_t y = 0; y < 20; y++) {
        r.image.GetBits(y)[0] = 0xFF;
        r.image.GetBits(y)[1] = 0xC0;
    }
    r.Ink(4, 12);
    r.CropWhiteEdge(-1, -1, 0, 0);
    EXPECT_EQ(r.image.GetHeight(), 1u);
}

TEST(Pipeline, RowFillerBecomesWhite) {
    PageRender narrow(10, 2);
    std::memset(narrow.image.GetBits(0), 0, 8);
    narrow.AdjustEffWidthBits();
    for (uint32_t y = 0; y < 2; y++) {
        const uint8_t* row = narrow.image.GetBits(y);
        EXPECT_EQ(row[0], 0x00);
        EXPECT_EQ(row[1], 0x3F);
        EXPECT_EQ(row[2], 0xFF);
        EXPECT_EQ(row[3], 0xFF);
    }
    PageRender even(16, 1);
    std::memset(even.image.GetBits(0), 0, 4);
    even.AdjustEffWidthBits();
    EXPECT_EQ(std::vector<uint8_t>(even.image.GetBits(0), even.image.GetBits(0) + 4),
              (std::vector<uint8_t>{0, 0, 0xFF, 0xFF}));
}

TEST(Pipeline, NegativeInvertsEveryStoredByte) {
    PageRender r(10, 3);
    r.Ink(1, 1);
    std::vector<uint8_t> before(r.image.GetBits(0), r.image.GetBits(0) + 12);
    r.Negative();
    EXPECT_EQ(r.image.GetBits(0)[2], 0x00);
    r.Negative();
    EXPECT_EQ(std::vector<uint8_t>(r.image.GetBits(0), r.image.GetBits(0) + 12), before);
}

TEST(Pipeline, ThresholdUsesTheLowByteOfTheSetting) {
    CBaseRender r;
    r.iDpi = 203;
    std::vector<uint8_t> gray = {44, 45, 200, 0};
    ASSERT_TRUE(r.image.CreateFromArray(gray.data(), 4, 1, 8, 4, false));
    r.halftone.iGrayMethod = 0;
    r.halftone.iThreValue = 300;  // thresholds at 44
    r.AdjustImage();
    ASSERT_EQ(r.image.GetBpp(), 1);
    EXPECT_EQ(r.image.GetBits(0)[0], 0x6F);  // 0 1 1 0, then white filler
}

TEST(Pipeline, QuarterTurnSwapsTheSides) {
    CBaseRender r;
    r.iDpi = 203;
    std::vector<uint8_t> gray(8 * 3, 255);
    ASSERT_TRUE(r.image.CreateFromArray(gray.data(), 8, 3, 8, 8, false));
    r.reg.iRotate = 2;
    r.AdjustImage();
    EXPECT_EQ(r.image.GetWidth(), 3u);
    EXPECT_EQ(r.image.GetHeight(), 8u);
    for (int rot : {0, 4, -1}) {
        ASSERT_TRUE(r.image.CreateFromArray(gray.data(), 8, 3, 8, 8, false));
        r.reg.iRotate = rot;
        r.AdjustImage();
        EXPECT_EQ(r.image.GetWidth(), 8u) << rot;
    }
}

namespace {
struct InitCounter : CCupsRender<CBaseRender> {
    int inits = 0;
    void OnInit() override { ++inits; }
};
}  // namespace

TEST(Pipeline, OnInitRunsOnceOnTheFirstPreparedPage) {
    InitCounter r;
    cups_page_header2_t header = {};
    r.ppd = reinterpret_cast<ppd_file_t*>(&header);  // only tested for null here
    r.header = &header;
    r.iDpi = 203;
    for (int page = 0; page < 3; page++) {
        r.image.Create(8, 8, 1, 0);
        r.OnBeginBmp();
    }
    EXPECT_EQ(r.inits, 1);
    EXPECT_TRUE(r.bInitialized);
}

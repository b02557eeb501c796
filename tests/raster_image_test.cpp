#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/RasterImage.h"

TEST(RasterImage, CreateNormalisesDepthAndEnforcesTheMemoryCap) {
    CRasterImage img;
    for (auto [asked, made] : {std::pair{0u, 1u}, {2u, 4u}, {8u, 8u}, {16u, 24u}, {32u, 24u}}) {
        ASSERT_NE(img.Create(3, 2, asked, 0), nullptr);
        EXPECT_EQ(img.GetBpp(), made) << asked;
    }
    EXPECT_NE(img.Create(16384, 16384, 8, 0), nullptr);
    EXPECT_EQ(img.Create(16385, 16384, 8, 0), nullptr);
    EXPECT_STREQ(img.GetLastError(), "RASTERIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(img.Create(10000, 10000, 24, 0), nullptr);
    EXPECT_EQ(img.Create(0x80000000u, 1, 1, 0), nullptr);  // width beyond the signed header
    EXPECT_FALSE(img.IsValid());

    ASSERT_NE(img.Create(4, 4, 8, 0), nullptr);
    EXPECT_EQ(img.Create(0, 10, 8, 0), nullptr);
    EXPECT_STREQ(img.GetLastError(),
                 "CRasterImage::Create : width and height must be greater than zero");
    EXPECT_FALSE(img.IsValid());
}

TEST(RasterImage, RowsArePaddedToFourBytesAndMsbIsLeftmost) {
    CRasterImage img(33, 3, 1, 0);
    ASSERT_TRUE(img.IsValid());
    EXPECT_EQ(img.GetEffWidth(), 8u);
    EXPECT_EQ(CRasterImage(1, 1, 24, 0).GetEffWidth(), 4u);
    std::memset(img.GetBits(0), 0, img.GetEffWidth() * 3);
    img.SetPixelIndex(32, 1, 1);
    EXPECT_EQ(img.GetBits(1)[4], 0x80);
    EXPECT_EQ(img.GetPixelIndex(32, 1), 1);
    EXPECT_EQ(img.GetBits(2), img.GetBits(0) + 16);
    EXPECT_EQ(img.GetBits(3), nullptr);
    img.SetPixelIndex(33, 1, 1);  // outside: ignored
    EXPECT_EQ(img.GetBits(1)[4], 0x80);
}

TEST(RasterImage, OutOfRangeReadsGiveTheFirstStoredByte) {
    std::vector<uint8_t> bits = {7, 9, 0, 0, 11, 13, 0, 0};
    CRasterImage img;
    ASSERT_TRUE(img.CreateFromArray(bits.data(), 2, 2, 8, 4, false));
    EXPECT_EQ(img.GetPixelIndex(-1, 0), 7);
    EXPECT_EQ(img.GetPixelIndex(0, 2), 7);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 13);
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_FALSE(CRasterImage(8, 1, 1, 0).IsGrayScale());
}

TEST(RasterImage, CreateFromArrayKeepsLinesInOrderAndSplitsAlpha) {
    CRasterImage img;
    std::vector<uint8_t> lines = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(img.CreateFromArray(lines.data(), 4, 2, 8, 4, false));
    EXPECT_EQ(img.GetBits(0)[0], 1);
    EXPECT_EQ(img.GetBits(1)[0], 5);
    ASSERT_TRUE(img.CreateFromArray(lines.data(), 4, 2, 8, 4, true));
    EXPECT_EQ(img.GetBits(0)[0], 5);

    EXPECT_FALSE(img.CreateFromArray(lines.data(), 4, 2, 2, 1, false));
    EXPECT_EQ(img.GetBpp(), 8);  // previous content untouched
    EXPECT_EQ(img.GetBits(0)[0], 5);

    std::vector<uint8_t> rgba = {10, 20, 30, 40, 50, 60, 70, 80};
    ASSERT_TRUE(img.CreateFromArray(rgba.data(), 2, 1, 32, 8, false));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetBits(0)[3], 50);
    EXPECT_EQ(img.AlphaGet(0, 0), 40);
    EXPECT_EQ(img.AlphaGet(1, 0), 80);

    // A line shorter than the pixels it claims is never read past its end.
    ASSERT_TRUE(img.CreateFromArray(rgba.data(), 4, 1, 32, 8, false));
    EXPECT_EQ(img.GetBits(0)[6], 0);
}

TEST(RasterImage, NearestIndexPrefersTheLowestIndexAndTracksPaletteChanges) {
    CRasterImage img(2, 2, 1, 0);
    img.SetGrayPalette();
    EXPECT_EQ(img.GetNearestIndex({128, 128, 128, 0}), 1);
    EXPECT_EQ(img.GetNearestIndex({127, 127, 127, 0}), 0);
    img.SetPaletteColor(1, 0, 0, 0);  // both entries black now: a tie
    EXPECT_EQ(img.GetNearestIndex({128, 128, 128, 0}), 0);
    img.SetGrayPalette();
    EXPECT_EQ(img.GetNearestIndex({128, 128, 128, 0}), 1);
}

TEST(RasterImage, TransferMovesEverythingAndCopyDuplicates) {
    CRasterImage src(5, 3, 8, 0);
    src.SetGrayPalette();
    src.SetXDPI(203);
    std::memset(src.GetBits(0), 42, src.GetEffWidth() * 3);
    CRasterImage copy(src, true, false, true);
    EXPECT_EQ(copy.GetBits(2)[4], 42);
    EXPECT_NE(copy.GetBits(0), src.GetBits(0));

    CRasterImage dst(1, 1, 1, 0);
    uint8_t* block = src.GetBits(0);
    dst.Transfer(src, true);
    EXPECT_EQ(dst.GetBits(0), block);
    EXPECT_EQ(dst.GetXDPI(), 203);
    EXPECT_FALSE(src.IsValid());
    EXPECT_EQ(src.GetWidth(), 0u);
    EXPECT_EQ(src.GetHeight(), 0u);
}

TEST(RasterImage, ResolutionIsStoredInPixelsPerMetre) {
    CRasterImage img(1, 1, 8, 0);
    img.SetXDPI(203);
    EXPECT_EQ(img.GetHeader().biXPelsPerMeter, 7992);
    img.SetYDPI(300);
    EXPECT_EQ(img.GetHeader().biYPelsPerMeter, 11811);
    for (int bad : {0, -5}) {
        img.SetXDPI(bad);
        EXPECT_EQ(img.GetXDPI(), 96);
        EXPECT_EQ(img.GetHeader().biXPelsPerMeter, 3780);
    }
}

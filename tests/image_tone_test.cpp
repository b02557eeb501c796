#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/RasterImage.h"
#include "support/GrayImages.h"

namespace {
std::vector<int> Ramp() {
    std::vector<int> v(256);
    for (int i = 0; i < 256; i++) v[i] = i;
    return v;
}

// The table that Light applies, read back from a 0..255 ramp.
std::vector<int> LightTable(int brightness, int contrast) {
    CRasterImage image;
    MakeGrayImage(image, 256, 1, Ramp());
    EXPECT_TRUE(image.Light(brightness, contrast));
    EXPECT_TRUE(image.IsGrayScale());
    return ReadBytes(image);
}
}  // namespace

TEST(GrayScale, ColorPixelsUseTheLumaWeights) {
    CRasterImage image(4, 1, 24, 0);
    image.SetXDPI(300);
    const uint8_t px[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};  // B, G, R, white
    std::copy(px, px + 12, image.GetBits(0));
    ASSERT_TRUE(image.AlphaCreate());
    image.AlphaSet(1, 0, 9);
    ASSERT_TRUE(image.GrayScale());
    EXPECT_EQ(image.GetBpp(), 8);
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_EQ(ReadBytes(image), (std::vector<int>{29, 149, 76, 255}));
    EXPECT_EQ(image.GetXDPI(), 300);
    EXPECT_EQ(image.AlphaGet(1, 0), 9);
}

TEST(GrayScale, PaletteImagesBecomeEightBitGray) {
    CRasterImage gray;
    MakeGrayImage(gray, 256, 1, Ramp());
    ASSERT_TRUE(gray.GrayScale());
    EXPECT_EQ(ReadBytes(gray), Ramp());

    CRasterImage bw(10, 1, 1, 0);
    bw.SetGrayPalette();
    bw.GetBits(0)[0] = 0x5F;  // 0101 1111
    bw.GetBits(0)[1] = 0x40;
    ASSERT_TRUE(bw.GrayScale());
    EXPECT_EQ(bw.GetBpp(), 8);
    EXPECT_EQ(ReadBytes(bw), (std::vector<int>{0, 255, 0, 255, 255, 255, 255, 255, 0, 255}));

    CRasterImage nibbles(3, 1, 4, 0);
    nibbles.SetGrayPalette();
    nibbles.GetBits(0)[0] = 0x1F;
    nibbles.GetBits(0)[1] = 0x20;
    ASSERT_TRUE(nibbles.GrayScale());
    EXPECT_EQ(ReadBytes(nibbles), (std::vector<int>{17, 255, 34}));
}

TEST(GrayScale, ColoredPaletteAndNearestCache) {
    CRasterImage image;
    MakeGrayImage(image, 2, 1, {5, 6});
    image.SetPaletteColor(5, 255, 0, 0);                  // red
    image.SetPaletteColor(6, 0, 0, 255);                  // blue
    EXPECT_EQ(image.GetNearestIndex({0, 0, 255, 0}), 5);  // caches red -> 5
    ASSERT_TRUE(image.GrayScale());
    EXPECT_EQ(ReadBytes(image), (std::vector<int>{76, 29}));
    EXPECT_TRUE(image.IsGrayScale());
    // Red is now nearest to gray 85 of the identity ramp, not to the old entry.
    EXPECT_EQ(image.GetNearestIndex({0, 0, 255, 0}), 85);
}

TEST(Light, TablesAtKnownPoints) {
    EXPECT_EQ(LightTable(0, 0), Ramp());

    auto t = LightTable(50, 0);
    EXPECT_EQ(t[100], 150);
    EXPECT_EQ(t[210], 255);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[255], 255);

    t = LightTable(0, 100);
    EXPECT_EQ(t[64], 0);
    EXPECT_EQ(t[100], 72);
    EXPECT_EQ(t[192], 255);

    t = LightTable(0, -100);
    for (int i = 1; i < 255; i++) ASSERT_EQ(t[i], 128) << i;
    EXPECT_EQ(t[0], 0);  // pure black and white entries are never remapped
    EXPECT_EQ(t[255], 255);

    t = LightTable(-200, 0);
    EXPECT_EQ(t[200], 0);
    EXPECT_EQ(t[201], 1);

    // c = 0.3f is a hair above 0.3: -5 * c = -1.50000006, and 128 plus that
    // rounds to 126.5 in single precision, so 123 maps to 127 (126 in double).
    EXPECT_EQ(LightTable(0, -70)[123], 127);
    // Extreme settings clamp instead of overflowing.
    EXPECT_EQ(LightTable(2147483647, 0)[1], 255);
    EXPECT_EQ(LightTable(0, 2147483647)[127], 0);
}

TEST(Light, OtherDepths) {
    CRasterImage bw(8, 1, 1, 0);
    bw.SetGrayPalette();
    bw.GetBits(0)[0] = 0x3C;
    ASSERT_TRUE(bw.Light(100, 50));
    EXPECT_EQ(bw.GetBpp(), 1);
    EXPECT_EQ(bw.GetBits(0)[0], 0x3C);
    EXPECT_EQ(bw.GetPaletteColor(1).rgbRed, 255);

    CRasterImage nibbles(2, 1, 4, 0);
    nibbles.SetGrayPalette();
    nibbles.GetBits(0)[0] = 0x12;
    ASSERT_TRUE(nibbles.Light(10, 0));
    EXPECT_EQ(nibbles.GetBpp(), 4);
    EXPECT_EQ(nibbles.GetBits(0)[0], 0x12);
    EXPECT_EQ(nibbles.GetPaletteColor(1).rgbGreen, 27);
    EXPECT_EQ(nibbles.GetPaletteColor(0).rgbGreen, 0);
    EXPECT_EQ(nibbles.GetPaletteColor(15).rgbGreen, 255);

    CRasterImage color(1, 1, 24, 0);
    const uint8_t px[3] = {0, 100, 250};
    std::copy(px, px + 3, color.GetBits(0));
    ASSERT_TRUE(color.Light(10, 0));
    EXPECT_EQ(color.GetBits(0)[0], 10);  // every byte goes through the table, 0 included
    EXPECT_EQ(color.GetBits(0)[1], 110);
    EXPECT_EQ(color.GetBits(0)[2], 255);

    CRasterImage empty;
    EXPECT_FALSE(empty.Light(0, 0));
    EXPECT_FALSE(color.Lut(nullptr));
}

TEST(Threshold, StrictlyAboveTheLevelIsWhite) {
    CRasterImage image;
    MakeGrayImage(image, 5, 1, {0, 1, 175, 176, 255});
    ASSERT_TRUE(image.AlphaCreate());
    ASSERT_TRUE(image.Threshold(175));
    EXPECT_EQ(image.GetBpp(), 1);
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(ReadBits(image), (std::vector<int>{0, 0, 0, 1, 1}));
    EXPECT_EQ(image.GetPaletteColor(1).rgbBlue, 255);

    MakeGrayImage(image, 5, 1, {0, 1, 175, 176, 255});
    ASSERT_TRUE(image.Threshold(255));
    EXPECT_EQ(ReadBits(image), (std::vector<int>{0, 0, 0, 0, 0}));
    MakeGrayImage(image, 5, 1, {0, 1, 175, 176, 255});
    ASSERT_TRUE(image.Threshold(0));
    EXPECT_EQ(ReadBits(image), (std::vector<int>{0, 1, 1, 1, 1}));
}

TEST(Threshold, RandomRowsOfEveryWidthMatchAPlainComparison) {
    std::mt19937 rng(5);
    for (int w = 1; w <= 25; w++) {
        const int h = 3;
        std::vector<int> gray(static_cast<size_t>(w * h));
        for (int& v : gray) v = static_cast<int>(rng() % 256);
        const int level = static_cast<int>(rng() % 256);
        CRasterImage image;
        MakeGrayImage(image, w, h, gray);
        ASSERT_TRUE(image.Threshold(static_cast<uint8_t>(level)));
        std::vector<int> expected;
        for (int v : gray) expected.push_back(v > level);
        EXPECT_EQ(ReadBits(image), expected) << "width " << w;
    }
}

TEST(Threshold, OneBitKeptAndFailures) {
    CRasterImage bw(3, 1, 1, 0);
    bw.SetPaletteColor(1, 1, 2, 3);
    bw.GetBits(0)[0] = 0xA0;
    ASSERT_TRUE(bw.Threshold(10));
    EXPECT_EQ(bw.GetBits(0)[0], 0xA0);
    EXPECT_EQ(bw.GetPaletteColor(1).rgbRed, 1);

    CRasterImage empty;
    EXPECT_FALSE(empty.Threshold(175));
    // The 8-bit gray copy of this 4-bit page would exceed the memory cap.
    CRasterImage big(16385, 16384, 4, 0);
    ASSERT_TRUE(big.IsValid());
    EXPECT_FALSE(big.Threshold(175));
    EXPECT_STREQ(big.GetLastError(), "RASTERIMAGE_MAX_MEMORY exceeded");
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>

#include "image/RasterImage.h"

namespace {
using Map = std::function<std::pair<int, int>(int, int)>;

// An image whose row bytes (padding included) and alpha plane are random.
void FillRandom(CRasterImage& img, std::mt19937& rng, bool alpha) {
    for (uint32_t i = 0; i < img.GetEffWidth() * img.GetHeight(); i++)
        img.GetBits(0)[i] = static_cast<uint8_t>(rng());
    if (!alpha) return;
    img.AlphaCreate();
    for (uint32_t i = 0; i < img.GetWidth() * img.GetHeight(); i++)
        img.AlphaGetPointer()[i] = static_cast<uint8_t>(rng());
}

// Plain per-pixel reference: a w x h image whose pixel (x, y) is source pixel map(x, y).
void BuildReference(const CRasterImage& src, uint32_t w, uint32_t h, const Map& map,
                    CRasterImage& ref) {
    ref.Create(w, h, src.GetBpp(), 0);
    ref.SetPalette(src.GetPalette(), 256);
    if (src.AlphaIsValid()) ref.AlphaCreate();
    for (int y = 0; y < static_cast<int>(h); y++)
        for (int x = 0; x < static_cast<int>(w); x++) {
            auto [sx, sy] = map(x, y);
            if (src.GetNumColors())
                ref.SetPixelIndex(x, y, src.GetPixelIndex(sx, sy));
            else
                ref.SetPixelColor(x, y, src.GetPixelColor(sx, sy, false), false);
            ref.AlphaSet(x, y, src.AlphaGet(sx, sy));
        }
}

// Same size, depth, palette, row bytes (padding included) and alpha plane.
void ExpectSame(const CRasterImage& a, const CRasterImage& b, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(a.IsValid() && b.IsValid());
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    ASSERT_EQ(a.GetBpp(), b.GetBpp());
    EXPECT_EQ(0, std::memcmp(a.GetBits(0), b.GetBits(0), a.GetEffWidth() * a.GetHeight()));
    if (a.GetPalette()) {
        EXPECT_EQ(0, std::memcmp(a.GetPalette(), b.GetPalette(), a.GetPaletteSize()));
    }
    ASSERT_EQ(a.AlphaIsValid(), b.AlphaIsValid());
    if (a.AlphaIsValid()) {
        EXPECT_EQ(
            0, std::memcmp(a.AlphaGetPointer(), b.AlphaGetPointer(), a.GetWidth() * a.GetHeight()));
    }
}

// Makes img an 8-bit gray image with pixel (x, y) = value(x, y).
void Gray(CRasterImage& img, int w, int h, const std::function<int(int, int)>& value) {
    img.Create(w, h, 8, 0);
    img.SetGrayPalette();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) img.SetPixelIndex(x, y, static_cast<uint8_t>(value(x, y)));
}
}  // namespace

TEST(ImageGeometry, RowAndBitPathsMatchPerPixelReference) {
    std::mt19937 rng(7);
    for (int bpp : {1, 4, 8, 24}) {
        for (int round = 0; round < 40; round++) {
            // The first round of each depth is 10 pixels wide (mirror swaps 0 and 9, ...).
            const int W = round ? 1 + static_cast<int>(rng() % 70) : 10;
            const int H = 1 + static_cast<int>(rng() % 40);
            CRasterImage src(W, H, bpp, 0), before(0), out(0), ref(0);
            src.SetGrayPalette();
            FillRandom(src, rng, round % 2 == 1);
            before = src;
            const std::string tag =
                " " + std::to_string(bpp) + " bpp " + std::to_string(W) + "x" + std::to_string(H);

            const Map turn90 = [&](int x, int y) { return std::pair{W - 1 - y, x}; };
            const Map turn270 = [&](int x, int y) { return std::pair{y, H - 1 - x}; };
            const Map turn180 = [&](int x, int y) { return std::pair{W - 1 - x, H - 1 - y}; };
            const Map mirror = [&](int x, int y) { return std::pair{W - 1 - x, y}; };
            const std::tuple<float, bool, Map> turns[] = {
                {90.0f, true, turn90}, {270.0f, true, turn270}, {180.0f, false, turn180}};
            for (const auto& [angle, swaps, map] : turns) {
                ASSERT_TRUE(src.Rotate(angle, &out));
                BuildReference(src, swaps ? H : W, swaps ? W : H, map, ref);
                ExpectSame(out, ref, std::to_string(angle) + tag);
            }

            // Crop of stored columns cx0 .. cx1 - 1 and rows cy0 .. cy1 - 1, corners swapped.
            const int cx0 = static_cast<int>(rng() % W), cy0 = static_cast<int>(rng() % H);
            const int cx1 = cx0 + 1 + static_cast<int>(rng() % (W - cx0));
            const int cy1 = cy0 + 1 + static_cast<int>(rng() % (H - cy0));
            ASSERT_TRUE(src.Crop(cx1, H - cy0, cx0, H - cy1, &out));
            const Map crop = [&](int x, int y) { return std::pair{x + cx0, y + cy0}; };
            BuildReference(src, cx1 - cx0, cy1 - cy0, crop, ref);
            ExpectSame(out, ref, "crop" + tag);
            ExpectSame(src, before, "source kept" + tag);

            BuildReference(src, W, H, mirror, ref);
            ASSERT_TRUE(src.Mirror(false, true));
            ExpectSame(src, ref, "mirror" + tag);
        }
    }
}

TEST(ImageGeometry, QuarterTurnsMoveEachCornerExactly) {
    // Source 13 x 6; corner, its value, where 90 and 270 degrees put it.
    struct Corner {
        int x, y, value, x90, y90, x270, y270;
    };
    const Corner corners[] = {{0, 0, 1, 0, 12, 5, 0},
                              {12, 0, 2, 0, 0, 5, 12},
                              {0, 5, 3, 5, 12, 0, 0},
                              {12, 5, 4, 5, 0, 0, 12}};
    for (float angle : {90.0f, -270.0f, 450.0f, 270.0f, -90.0f, 630.0f}) {
        const bool ninety = std::fmod(angle + 720.0f, 360.0f) == 90.0f;
        SCOPED_TRACE(angle);
        CRasterImage gray(0);
        Gray(gray, 13, 6, [](int, int) { return 0; });
        for (const Corner& c : corners) gray.SetPixelIndex(c.x, c.y, static_cast<uint8_t>(c.value));
        ASSERT_TRUE(gray.Rotate(angle));
        ASSERT_EQ(gray.GetWidth(), 6u);
        ASSERT_EQ(gray.GetHeight(), 13u);
        for (const Corner& c : corners)
            EXPECT_EQ(gray.GetPixelIndex(ninety ? c.x90 : c.x270, ninety ? c.y90 : c.y270),
                      c.value);

        for (const Corner& c : corners) {
            CRasterImage bits(13, 6, 1, 0);
            std::memset(bits.GetBits(0), 0, bits.GetEffWidth() * 6);
            bits.SetPixelIndex(c.x, c.y, 1);
            ASSERT_TRUE(bits.Rotate(angle));
            int set = 0;
            for (int y = 0; y < 13; y++)
                for (int x = 0; x < 6; x++) set += bits.GetPixelIndex(x, y);
            EXPECT_EQ(set, 1);
            EXPECT_EQ(bits.GetPixelIndex(ninety ? c.x90 : c.x270, ninety ? c.y90 : c.y270), 1);
        }
    }
}

TEST(ImageGeometry, OtherAnglesAndFailures) {
    auto value = [](int x, int y) { return 1 + x + 10 * y; };
    for (float angle : {180.0f, -180.0f, 540.0f}) {
        CRasterImage img(0);
        Gray(img, 3, 2, value);
        ASSERT_TRUE(img.Rotate(angle));
        EXPECT_EQ(img.GetPixelIndex(2, 1), value(0, 0));
        EXPECT_EQ(img.GetPixelIndex(0, 0), value(2, 1));
    }
    for (float angle : {0.0f, 360.0f}) {
        CRasterImage img(0), out(0);
        Gray(img, 5, 4, value);
        ASSERT_TRUE(img.Rotate(angle, &out));
        ASSERT_EQ(out.GetWidth(), 5u);
        ASSERT_EQ(out.GetHeight(), 4u);
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 5; x++) EXPECT_EQ(out.GetPixelIndex(x, y), value(x, y));
    }
    CRasterImage img(0);
    Gray(img, 5, 3, value);
    ASSERT_TRUE(img.Rotate(45));
    EXPECT_EQ(img.GetWidth(), 6u);
    EXPECT_EQ(img.GetHeight(), 6u);

    // A result beyond the memory cap fails and leaves the destination alone.
    CRasterImage line(14000, 1, 24, 0), dest(0);
    Gray(dest, 2, 2, value);
    EXPECT_FALSE(line.Rotate(45, &dest));
    EXPECT_STREQ(line.GetLastError(), "RASTERIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(dest.GetWidth(), 2u);
    EXPECT_FALSE(line.Rotate(NAN));
    EXPECT_FALSE(line.Rotate(INFINITY));

    CRasterImage empty(0);
    EXPECT_FALSE(empty.Rotate(90));
    EXPECT_FALSE(empty.Rotate(180));
    EXPECT_FALSE(empty.Mirror());
    EXPECT_FALSE(empty.Crop(0, 0, 1, 1));
}

TEST(ImageGeometry, ResamplePicksNearestColumns) {
    CRasterImage img(0), out(0);
    Gray(img, 10, 3, [](int x, int y) { return 10 * x + y; });
    ASSERT_TRUE(img.Resample(5, 3, 1, &out));
    for (int x = 0; x < 5; x++) EXPECT_EQ(out.GetPixelIndex(x, 2), 20 * x + 2);
    ASSERT_TRUE(img.Resample(20, 3, 1, &out));
    for (int x = 0; x < 20; x++) EXPECT_EQ(out.GetPixelIndex(x, 1), 10 * (x / 2) + 1);

    std::mt19937 rng(3);
    CRasterImage bits(10, 4, 1, 0);
    bits.SetGrayPalette();
    FillRandom(bits, rng, false);
    ASSERT_TRUE(bits.Resample(20, 8, 1, &out));
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 20; x++)
            EXPECT_EQ(out.GetPixelIndex(x, y), bits.GetPixelIndex(x / 2, y / 2));

    CRasterImage before(0);
    before = img;
    EXPECT_TRUE(img.Resample(10, 3, 1, nullptr));
    EXPECT_TRUE(img.Resample(10, 3, 1, &img));
    ExpectSame(img, before, "same size");
    EXPECT_FALSE(img.Resample(0, 10, 1, nullptr));
    EXPECT_FALSE(img.Resample(-4, 10, 1, nullptr));
    EXPECT_FALSE(img.Resample(5, 3, 2, nullptr));
    EXPECT_FALSE(img.Resample(100000, 100000, 1, nullptr));
    EXPECT_STREQ(img.GetLastError(), "RASTERIMAGE_MAX_MEMORY exceeded");
    ExpectSame(img, before, "after failures");
}

TEST(ImageGeometry, CropCountsTopFromLastRowAndClamps) {
    CRasterImage img(0), out(0);
    Gray(img, 10, 10, [](int x, int y) { return 10 * y + x; });
    for (tagRECT r : {tagRECT{2, 3, 5, 8}, tagRECT{5, 8, 2, 3}}) {
        ASSERT_TRUE(img.Crop(r, &out));
        ASSERT_EQ(out.GetWidth(), 3u);
        ASSERT_EQ(out.GetHeight(), 5u);
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 3; x++) EXPECT_EQ(out.GetPixelIndex(x, y), 10 * (y + 2) + x + 2);
    }
    ASSERT_TRUE(img.Crop(-5, -5, 20, 20, &out));
    ExpectSame(out, img, "whole");
    EXPECT_FALSE(img.Crop(4, 0, 4, 10, &out));
    EXPECT_FALSE(img.Crop(0, 5, 10, 5, &out));
    EXPECT_FALSE(img.Crop(12, 0, 30, 10, &out));
    // In place; top 10 and bottom 9 keep stored row 0.
    ASSERT_TRUE(img.Crop(0, 10, 10, 9));
    EXPECT_EQ(img.GetHeight(), 1u);
    EXPECT_EQ(img.GetPixelIndex(3, 0), 3);
}

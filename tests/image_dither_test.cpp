#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "image/RasterImage.h"
#include "support/GrayImages.h"

namespace {
// A plain, slow model of every method, written straight from the rules:
// per-pixel loops over a gray grid, bounds checks on every neighbour.
struct Weight {
    int dx, dy, w;
};
struct Kernel {
    int divisor;
    std::vector<Weight> taps;
};

Kernel KernelFor(int method) {
    switch (method) {
        case 2:
            return {
                32,
                {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
        case 3:
            return {42,
                    {{1, 0, 8},
                     {2, 0, 4},
                     {-2, 1, 2},
                     {-1, 1, 4},
                     {0, 1, 8},
                     {1, 1, 4},
                     {2, 1, 2},
                     {-2, 2, 1},
                     {-1, 2, 2},
                     {0, 2, 4},
                     {1, 2, 2},
                     {2, 2, 1}}};
        case 4:
            return {48,
                    {{1, 0, 7},
                     {2, 0, 5},
                     {-2, 1, 3},
                     {-1, 1, 5},
                     {0, 1, 7},
                     {1, 1, 5},
                     {2, 1, 3},
                     {-2, 2, 1},
                     {-1, 2, 3},
                     {0, 2, 5},
                     {1, 2, 3},
                     {2, 2, 1}}};
        case 5:
            return {32,
                    {{1, 0, 5},
                     {2, 0, 3},
                     {-2, 1, 2},
                     {-1, 1, 4},
                     {0, 1, 5},
                     {1, 1, 4},
                     {2, 1, 2},
                     {-1, 2, 2},
                     {0, 2, 3},
                     {1, 2, 2}}};
        case 6:
            return {200,
                    {{2, 0, 32},
                     {-3, 1, 12},
                     {-1, 1, 26},
                     {1, 1, 30},
                     {3, 1, 16},
                     {-2, 2, 12},
                     {0, 2, 26},
                     {2, 2, 12},
                     {-3, 3, 5},
                     {-1, 3, 12},
                     {1, 3, 12},
                     {3, 3, 5}}};
        default:
            return {16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    }
}

const int kM1[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
const int kM7[4][4] = {
    {0, 192, 48, 240}, {128, 64, 176, 112}, {32, 224, 16, 208}, {160, 96, 144, 80}};
const int kM8[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                       {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                       {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                       {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
const int kM9[16][16] = {
    {1, 235, 59, 219, 15, 231, 55, 215, 2, 232, 56, 216, 12, 228, 52, 212},
    {129, 65, 187, 123, 143, 79, 183, 119, 130, 66, 184, 120, 140, 76, 180, 116},
    {33, 193, 17, 251, 47, 207, 31, 247, 34, 194, 18, 248, 44, 204, 28, 244},
    {161, 97, 145, 81, 175, 111, 159, 95, 162, 98, 146, 82, 172, 108, 156, 92},
    {9, 225, 49, 209, 5, 239, 63, 223, 10, 226, 50, 210, 6, 236, 60, 220},
    {137, 73, 177, 113, 133, 69, 191, 127, 138, 74, 178, 114, 134, 70, 188, 124},
    {41, 201, 25, 241, 37, 197, 21, 255, 42, 202, 26, 242, 38, 198, 22, 252},
    {169, 105, 153, 89, 165, 101, 149, 85, 170, 106, 154, 90, 166, 102, 150, 86},
    {3, 233, 57, 217, 13, 229, 53, 213, 0, 234, 58, 218, 14, 230, 54, 214},
    {131, 67, 185, 121, 141, 77, 181, 117, 128, 64, 186, 122, 142, 78, 182, 118},
    {35, 195, 19, 249, 45, 205, 29, 245, 32, 192, 16, 250, 46, 206, 30, 246},
    {163, 99, 147, 83, 173, 109, 157, 93, 160, 96, 144, 80, 174, 110, 158, 94},
    {11, 227, 51, 211, 7, 237, 61, 221, 8, 224, 48, 208, 4, 238, 62, 222},
    {139, 75, 179, 115, 135, 71, 189, 125, 136, 72, 176, 112, 132, 68, 190, 126},
    {43, 203, 27, 243, 39, 199, 23, 253, 40, 200, 24, 240, 36, 196, 20, 254},
    {171, 107, 155, 91, 167, 103, 151, 87, 168, 104, 152, 88, 164, 100, 148, 84}};

std::vector<int> ReferenceDither(int method, std::vector<int> g, int w, int h) {
    std::vector<int> bits(g.size());
    const Kernel k = KernelFor(method);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const int v = g[y * w + x];
            int& bit = bits[y * w + x];
            switch (method) {
                case 1:
                    bit = v * 16 / 255 == 16 || kM1[y % 4][x % 4] < v * 16 / 255;
                    break;
                case 7:
                    bit = v > kM7[y % 4][x % 4];
                    break;
                case 8:
                    bit = (v >> 2) != 0 && (v >> 2) >= kM8[x % 8][y % 8];
                    break;
                case 9:
                    bit = v > kM9[x % 16][y % 16];
                    break;
                default: {
                    bit = v > 128;
                    const int error = bit ? v - 255 : v;
                    for (const Weight& t : k.taps) {
                        const int nx = x + t.dx, ny = y + t.dy;
                        if (nx < 0 || nx >= w || ny >= h) continue;
                        int& n = g[ny * w + nx];
                        n = std::clamp(n + error * t.w / k.divisor, 0, 255);
                    }
                }
            }
        }
    return bits;
}

std::vector<int> DitherOf(int method, int w, int h, const std::vector<int>& gray) {
    CRasterImage image;
    MakeGrayImage(image, w, h, gray);
    EXPECT_TRUE(image.Dither(method));
    EXPECT_EQ(image.GetBpp(), 1);
    return ReadBits(image);
}

std::vector<int> Uniform(int w, int h, int g) {
    return std::vector<int>(w * h, g);
}
}  // namespace

TEST(Dither, EveryMethodMatchesThePlainModelOnRandomImages) {
    std::mt19937 rng(12345);
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 5}, {5, 4}, {7, 7}, {9, 6}, {17, 9}, {40, 13}};
    const int extremes[] = {0, 1, 2, 126, 127, 128, 129, 130, 253, 254, 255};
    for (int method = -1; method <= 10; method++)
        for (const auto& s : sizes)
            for (int pass = 0; pass < 4; pass++) {
                std::vector<int> gray(s[0] * s[1]);
                for (int& v : gray)  // odd passes crowd the values near the clamping edges
                    v = pass % 2 ? extremes[rng() % 11] : static_cast<int>(rng() % 256);
                ASSERT_EQ(DitherOf(method, s[0], s[1], gray),
                          ReferenceDither(method, gray, s[0], s[1]))
                    << "method " << method << " size " << s[0] << "x" << s[1];
            }
}

TEST(Dither, EveryMethodMatchesThePlainModelOnPagesWithFlatRuns) {
    // Runs of white, black and gray of every length, so that flat stretches
    // of whole bytes, the pixels around them and the row ends (widths around
    // multiples of 8 and 16) all occur, with error arriving from above.
    std::mt19937 rng(99);
    for (int w : {7, 8, 15, 16, 17, 24, 31, 33, 47, 64, 100})
        for (int pass = 0; pass < 3; pass++) {
            const int h = 12 + pass;
            std::vector<int> gray;
            while (static_cast<int>(gray.size()) < w * h) {
                const int kind = static_cast<int>(rng() % 4);
                const int run = 1 + static_cast<int>(rng() % 40);
                for (int i = 0; i < run; i++)
                    gray.push_back(kind == 0   ? 255
                                   : kind == 1 ? 0
                                   : kind == 2 ? static_cast<int>(rng() % 256)
                                               : (rng() % 2 ? 254 : 1));
            }
            gray.resize(static_cast<size_t>(w * h));
            for (int method = 0; method <= 9; method++)
                ASSERT_EQ(DitherOf(method, w, h, gray), ReferenceDither(method, gray, w, h))
                    << "method " << method << " width " << w << " pass " << pass;
        }
}

TEST(Dither, OneGrayPixelAnywhereOnAFlatPage) {
    // The error of a single gray pixel must reach its neighbours wherever it
    // sits against whole flat bytes and chunks of the row.
    // The rows below it are of any tone; in mid gray its error always shows.
    const int w = 40, h = 5;
    for (int top : {0, 255})
        for (int bottom : {0, 128, 255})
            for (int g : {90, 200})
                for (int x = 0; x < w; x++) {
                    std::vector<int> gray(w * h, bottom);
                    std::fill(gray.begin(), gray.begin() + 2 * w, top);
                    gray[w + x] = g;
                    for (int method = 0; method <= 9; method++)
                        ASSERT_EQ(DitherOf(method, w, h, gray), ReferenceDither(method, gray, w, h))
                            << "method " << method << " tones " << top << "/" << bottom << " gray "
                            << g << " at " << x;
                }
}

TEST(Dither, FloydSteinbergWorkedByHand) {
    // 128 is black and passes 128*7/16 = 56: the next pixel is 184, white, and
    // passes (184-255)*7/16 = -31 (toward zero): the third is 97, black.
    EXPECT_EQ(DitherOf(0, 3, 1, {128, 128, 128}), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(DitherOf(0, 1, 1, {128}), std::vector<int>{0});
    EXPECT_EQ(DitherOf(0, 1, 1, {129}), std::vector<int>{1});
    // An error of -1 passes nothing: 129 stays white (flooring would make it 128).
    EXPECT_EQ(DitherOf(0, 2, 1, {254, 129}), (std::vector<int>{1, 1}));
    // 128 at (0, 0) sends 56 right (255 + 56 clamps to 255), 40 down and 8
    // down-right; the 255s pass no error, so (1, 1) ends at 128 or 129.
    EXPECT_EQ(DitherOf(0, 2, 2, {128, 255, 255, 120}), (std::vector<int>{0, 1, 1, 0}));
    EXPECT_EQ(DitherOf(0, 2, 2, {128, 255, 255, 121}), (std::vector<int>{0, 1, 1, 1}));
}

TEST(Dither, UnknownMethodsAreFloydSteinberg) {
    std::mt19937 rng(7);
    std::vector<int> gray(23 * 11);
    for (int& v : gray) v = static_cast<int>(rng() % 256);
    const auto fs = DitherOf(0, 23, 11, gray);
    EXPECT_EQ(DitherOf(10, 23, 11, gray), fs);
    EXPECT_EQ(DitherOf(-3, 23, 11, gray), fs);
}

TEST(Dither, FlatWhiteAndBlackPassNoError) {
    for (int method = 0; method <= 9; method++) {
        if (method != 9) {  // the 16x16 matrix holds one cell of 255
            EXPECT_EQ(DitherOf(method, 21, 9, Uniform(21, 9, 255)), Uniform(21, 9, 1)) << method;
        }
        EXPECT_EQ(DitherOf(method, 21, 9, Uniform(21, 9, 0)), Uniform(21, 9, 0)) << method;
    }
    for (int g = 0; g < 4; g++)
        EXPECT_EQ(DitherOf(8, 16, 16, Uniform(16, 16, g)), Uniform(16, 16, 0)) << g;
}

TEST(Dither, OrderedMatrixCells) {
    // Methods 1 and 7 at 128 light the cells below the middle: a checkerboard.
    std::vector<int> checker;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) checker.push_back((x + y) % 2 == 0);
    EXPECT_EQ(DitherOf(1, 8, 8, Uniform(8, 8, 128)), checker);
    EXPECT_EQ(DitherOf(7, 8, 8, Uniform(8, 8, 128)), checker);

    // Method 8 at g = 8 (v = 2) lights entries 0, 1, 2: (0,0), (4,4) and, x first, (0,4).
    std::vector<int> m8(64, 0);
    m8[0] = m8[4 * 8 + 4] = m8[4 * 8 + 0] = 1;
    EXPECT_EQ(DitherOf(8, 8, 8, Uniform(8, 8, 8)), m8);

    // Method 9: g = 1 lights only (8, 8) of each tile, g = 255 all but (6, 7).
    const int w = 20, h = 18;
    std::vector<int> one(w * h, 0), full(w * h, 1);
    one[8 * w + 8] = 1;
    full[7 * w + 6] = 0;
    EXPECT_EQ(DitherOf(9, w, h, Uniform(w, h, 1)), one);
    EXPECT_EQ(DitherOf(9, w, h, Uniform(w, h, 255)), full);
}

TEST(Dither, ResultIsOneBitWithAttributesAndAlpha) {
    CRasterImage image;
    MakeGrayImage(image, 5, 3, Uniform(5, 3, 200));
    image.SetXDPI(203);
    ASSERT_TRUE(image.AlphaCreate());
    image.AlphaSet(4, 2, 17);
    ASSERT_TRUE(image.Dither(2));
    EXPECT_EQ(image.GetBpp(), 1);
    EXPECT_EQ(image.GetXDPI(), 203);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(4, 2), 17);
    EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 0);
    EXPECT_EQ(image.GetPaletteColor(1).rgbGreen, 255);
    EXPECT_EQ(image.GetPaletteColor(1).rgbReserved, 0);
}

TEST(Dither, ColorInputIsGrayedFirstAndOneBitInputKept) {
    CRasterImage color(4, 1, 24, 0);
    uint8_t* row = color.GetBits(0);
    const uint8_t px[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};  // gray 29 149 76 255
    std::copy(px, px + 12, row);
    ASSERT_TRUE(color.Dither(7));  // thresholds 0, 192, 48, 240 on row 0
    EXPECT_EQ(ReadBits(color), (std::vector<int>{1, 0, 1, 1}));

    CRasterImage bw(9, 2, 1, 0);
    bw.SetPaletteColor(0, 10, 20, 30, 0);
    bw.GetBits(0)[0] = 0xA5;
    bw.GetBits(1)[1] = 0x80;
    const auto before = ReadBits(bw);
    ASSERT_TRUE(bw.Dither(3));
    EXPECT_EQ(ReadBits(bw), before);
    EXPECT_EQ(bw.GetPaletteColor(0).rgbBlue, 30);
}

TEST(Dither, FailsWhenTheGrayCopyCannotBeMade) {
    CRasterImage empty;
    EXPECT_FALSE(empty.Dither(0));
    // A 4-bit page that fits the memory cap while its 8-bit gray copy does not.
    CRasterImage big(16385, 16384, 4, 0);
    ASSERT_TRUE(big.IsValid());
    EXPECT_FALSE(big.Dither(0));
    EXPECT_STREQ(big.GetLastError(), "RASTERIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(big.GetBpp(), 4);
}

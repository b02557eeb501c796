#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "image/GrayLevel.h"
#include "image/RasterImage.h"

// Reduction of a gray image to 1 bit (set = white) by error diffusion or by
// an ordered matrix. Error diffusion works in place in the gray rows: each
// pixel's error is added straight into the neighbours still to be visited,
// clamped to 0..255, so no error buffer is needed.

namespace {
struct Tap {
    int dx;
    int dy;
    int weight;
};

// Taps in visiting order: the current row left to right, then each following
// row left to right.
struct FloydSteinberg {
    static constexpr int kDivisor = 16;
    static constexpr Tap kTaps[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
};
struct Burkes {
    static constexpr int kDivisor = 32;
    static constexpr Tap kTaps[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                    {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};
};
struct Stucki {
    static constexpr int kDivisor = 42;
    static constexpr Tap kTaps[] = {{1, 0, 8},  {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                    {0, 1, 8},  {1, 1, 4}, {2, 1, 2},  {-2, 2, 1},
                                    {-1, 2, 2}, {0, 2, 4}, {1, 2, 2},  {2, 2, 1}};
};
struct JarvisJudiceNinke {
    static constexpr int kDivisor = 48;
    static constexpr Tap kTaps[] = {{1, 0, 7},  {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5},
                                    {0, 1, 7},  {1, 1, 5}, {2, 1, 3},  {-2, 2, 1},
                                    {-1, 2, 3}, {0, 2, 5}, {1, 2, 3},  {2, 2, 1}};
};
struct Sierra {
    static constexpr int kDivisor = 32;
    static constexpr Tap kTaps[] = {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                                    {1, 1, 4}, {2, 1, 2}, {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};
};
struct StevensonArce {
    static constexpr int kDivisor = 200;
    static constexpr Tap kTaps[] = {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30},
                                    {3, 1, 16}, {-2, 2, 12}, {0, 2, 26},  {2, 2, 12},
                                    {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12},  {3, 3, 5}};
};

template <class K>
constexpr int Reach(int Tap::*field, bool leftward) {
    int r = 0;
    for (const Tap& t : K::kTaps) r = std::max(r, leftward ? -(t.*field) : t.*field);
    return r;
}

// Adds one pixel's error to its neighbours. rows[d] is row y + d, or null
// past the last row. Without Checked the caller guarantees that every tap
// lies inside the image.
template <class K, bool Checked, size_t... I>
inline void Spread(uint8_t* const* rows, int x, int width, int error, std::index_sequence<I...>) {
    auto apply = [&](const Tap& t) {
        if (Checked && (rows[t.dy] == nullptr || x + t.dx < 0 || x + t.dx >= width)) return;
        uint8_t* p = rows[t.dy] + x + t.dx;
        int v = *p + error * t.weight / K::kDivisor;
        *p = static_cast<uint8_t>(std::clamp(v, 0, 255));
    };
    (apply(K::kTaps[I]), ...);
}

template <class K>
void Diffuse(CRasterImage& gray, CRasterImage& result) {
    constexpr auto kIdx = std::make_index_sequence<std::size(K::kTaps)>{};
    constexpr int kLeft = Reach<K>(&Tap::dx, true);
    constexpr int kRight = Reach<K>(&Tap::dx, false);
    constexpr int kDown = Reach<K>(&Tap::dy, false);
    const int width = static_cast<int>(gray.GetWidth());
    const int height = static_cast<int>(gray.GetHeight());
    // Pixels whose taps all stay inside a row: [innerBegin, innerEnd).
    const int innerBegin = std::min(kLeft, width);
    const int innerEnd = std::max(innerBegin, width - kRight);

    for (int y = 0; y < height; y++) {
        uint8_t* rows[kDown + 1];
        for (int d = 0; d <= kDown; d++)
            rows[d] = y + d < height ? gray.GetBits(static_cast<uint32_t>(y + d)) : nullptr;
        const bool allRows = y + kDown < height;
        uint8_t* out = result.GetBits(static_cast<uint32_t>(y));
        uint8_t* cur = rows[0];
        uint8_t acc = 0;
        for (int x = 0; x < width; x++) {
            const int g = cur[x];
            int error = g;
            if (g > 128) {
                acc |= static_cast<uint8_t>(0x80u >> (x & 7));
                error = g - 255;
            }
            if (error != 0) {
                if (allRows && x >= innerBegin && x < innerEnd)
                    Spread<K, false>(rows, x, width, error, kIdx);
                else
                    Spread<K, true>(rows, x, width, error, kIdx);
            }
            if ((x & 7) == 7) {
                out[x >> 3] = acc;
                acc = 0;
            }
        }
        if (width & 7) out[width >> 3] = acc;
    }
}

// Ordered matrices as they are indexed: methods 1 and 7 by [y mod 4][x mod 4],
// methods 8 and 9 by [x mod n][y mod n].
constexpr uint8_t kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

constexpr uint8_t kSteps16[4][4] = {
    {0, 192, 48, 240}, {128, 64, 176, 112}, {32, 224, 16, 208}, {160, 96, 144, 80}};

constexpr uint8_t kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

constexpr uint8_t kMatrix16[16][16] = {
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

// The rule of each ordered method for gray g at pixel (x, y).
bool OrderedWhite(int method, int g, int x, int y) {
    switch (method) {
        case 1: {
            const int d = g * 16 / 255;
            return d == 16 || kBayer4[y % 4][x % 4] < d;
        }
        case 7:
            return g > kSteps16[y % 4][x % 4];
        case 8: {
            const int v = g >> 2;
            return v != 0 && v >= kBayer8[x % 8][y % 8];
        }
        default:
            return g > kMatrix16[x % 16][y % 16];
    }
}

// Every rule is monotone in g, so each matrix cell reduces to one level:
// white exactly when g is above it (255 for a cell that never turns white).
struct OrderedLevels {
    int size = 0;
    int level[16][16] = {};  // [y mod size][x mod size]

    explicit OrderedLevels(int method) : size(method == 9 ? 16 : method == 8 ? 8 : 4) {
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                int g = 0;
                while (g < 256 && !OrderedWhite(method, g, x, y)) g++;
                level[y][x] = g - 1;
            }
    }
};

void Ordered(int method, const CRasterImage& gray, CRasterImage& result) {
    const OrderedLevels levels(method);
    const auto mask = static_cast<uint32_t>(levels.size - 1);
    const uint32_t width = gray.GetWidth();
    for (uint32_t y = 0; y < gray.GetHeight(); y++) {
        const int* level = levels.level[y & mask];
        const uint8_t* in = gray.GetBits(y);
        uint8_t* out = result.GetBits(y);
        uint8_t acc = 0;
        for (uint32_t x = 0; x < width; x++) {
            if (in[x] > level[x & mask]) acc |= static_cast<uint8_t>(0x80u >> (x & 7));
            if ((x & 7) == 7) {
                out[x >> 3] = acc;
                acc = 0;
            }
        }
        if (width & 7) out[width >> 3] = acc;
    }
}

void Reduce(int32_t method, CRasterImage& gray, CRasterImage& result) {
    switch (method) {
        case 1:
        case 7:
        case 8:
        case 9:
            Ordered(method, gray, result);
            break;
        case 2:
            Diffuse<Burkes>(gray, result);
            break;
        case 3:
            Diffuse<Stucki>(gray, result);
            break;
        case 4:
            Diffuse<JarvisJudiceNinke>(gray, result);
            break;
        case 5:
            Diffuse<Sierra>(gray, result);
            break;
        case 6:
            Diffuse<StevensonArce>(gray, result);
            break;
        default:
            Diffuse<FloydSteinberg>(gray, result);
            break;
    }
}
}  // namespace

bool CRasterImage::Dither(int32_t method) {
    if (!m_pDib) return false;
    if (m_head.biBitCount == 1) return true;
    if (!MakeGrayForReduction(*this)) return false;

    CRasterImage result(0);
    result.CopyInfo(*this);
    if (!result.Create(GetWidth(), GetHeight(), 1, GetType())) {
        SetLastError(result.GetLastError());
        return false;
    }
    if (m_pAlpha) result.AlphaCopy(*this);

    Reduce(method, *this, result);

    result.SetPaletteColor(0, 0, 0, 0, 0);
    result.SetPaletteColor(1, 255, 255, 255, 0);
    Transfer(result, true);
    return true;
}

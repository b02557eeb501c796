#include "image/WormFreeDither.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/BitPack.h"
#include "image/GrayLevel.h"

namespace {
// Errors are kept in sixteenths of a gray level.
constexpr int kOne = 16;
constexpr int kMid = 128 * kOne;
constexpr int kWhite = 255 * kOne;
// The threshold moves by up to 6/16 of a gray's distance from black or
// white, scaled down to nothing as the gray differs from its neighbours by
// up to kBusy levels (measured with bench/quality.sh: no worms at any
// gray, and a photo no less faithful than Floyd–Steinberg's).
constexpr int kShake = 6;
constexpr int kBusy = 16;

// A number in -1024..1023 from a dot's place, the same every time.
int Hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<int>(h & 2047u) - 1024;
}

// A row of gray with the rows above and below it.
struct Rows {
    const uint8_t* up;
    const uint8_t* in;
    const uint8_t* down;
    uint32_t y;
    uint32_t width;
};

int Threshold(const Rows& r, uint32_t x) {
    const int gray = r.in[x];
    const int left = r.in[x > 0 ? x - 1 : x], right = r.in[x + 1 < r.width ? x + 1 : x];
    const int activity = std::abs(left - right) + std::abs(r.up[x] - r.down[x]);
    const int calm = std::max(0, kBusy - activity);
    const int amplitude = std::min(gray, 255 - gray) * kShake;  // in sixteenths
    return kMid + Hash(x, r.y) * amplitude / 1024 * calm / kBusy;
}

// One row left to right: its errors in `here`, the next row's collected
// in `below` (both with a spare cell at each side).
void DiffuseRow(const Rows& r, std::vector<int>& here, std::vector<int>& below,
                std::vector<uint8_t>& white) {
    for (uint32_t x = 0; x < r.width; x++) {
        const size_t c = x + 1;
        // Pure white or black with no error to carry prints as it is and
        // passes nothing on (the threshold does not shake there).
        if (here[c] == 0 && (r.in[x] == 255 || r.in[x] == 0)) {
            white[x] = r.in[x] == 255;
            continue;
        }
        const int level = std::clamp(r.in[x] * kOne + here[c], 0, kWhite);
        const bool isWhite = level >= Threshold(r, x);
        white[x] = isWhite;
        const int error = level - (isWhite ? kWhite : 0);
        const int right = error * 7 / 16, belowLeft = error * 3 / 16, under = error * 5 / 16;
        here[c + 1] += right;
        below[c - 1] += belowLeft;
        below[c] += under;
        below[c + 1] += error - right - belowLeft - under;
    }
}
}  // namespace

bool DitherWormFree(CRasterImage& image) {
    if (!image.IsValid()) return false;
    if (image.GetBpp() == 1) return true;
    if (!MakeGrayForReduction(image)) return false;
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    CRasterImage result(0);
    result.CopyInfo(image);
    if (!result.Create(width, height, 1, image.GetType())) {
        image.SetLastError(result.GetLastError());
        return false;
    }
    if (image.AlphaIsValid()) result.AlphaCopy(image);
    std::vector<int> here(width + 2, 0), below(width + 2, 0);
    std::vector<uint8_t> white(width);
    for (uint32_t y = 0; y < height; y++) {
        const Rows rows{image.GetBits(y > 0 ? y - 1 : y), image.GetBits(y),
                        image.GetBits(y + 1 < height ? y + 1 : y), y, width};
        DiffuseRow(rows, here, below, white);
        PackRow(result.GetBits(y), width, [&white](uint32_t x) { return white[x] != 0; });
        here.swap(below);
        std::fill(below.begin(), below.end(), 0);
    }
    result.SetPaletteColor(0, 0, 0, 0, 0);
    result.SetPaletteColor(1, 255, 255, 255, 0);
    image.Transfer(result, true);
    return true;
}

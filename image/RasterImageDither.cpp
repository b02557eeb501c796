#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "image/BitPack.h"
#include "image/GrayLevel.h"
#include "image/RasterImage.h"

// Reduction of a gray image to 1 bit (set = white) by error diffusion or by
// an ordered matrix. Error diffusion adds each pixel's error into the
// neighbours still to be visited, clamped to 0..255: the rows below receive
// it in the gray rows themselves, the current row through a few registers
// and row-sized scratch lines (see Diffuse).

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

// Weight of the tap at (dx, 0) in the current row, 0 when there is none.
template <class K>
constexpr int RowWeight(int dx) {
    for (const Tap& t : K::kTaps)
        if (t.dy == 0 && t.dx == dx) return t.weight;
    return 0;
}

// The taps into the row dy below, in the order in which one target pixel
// receives them: from its leftmost source to its rightmost, so by falling dx.
template <class K, int Dy>
constexpr auto TapsOfRow() {
    constexpr size_t n = static_cast<size_t>(std::count_if(
        std::begin(K::kTaps), std::end(K::kTaps), [](const Tap& t) { return t.dy == Dy; }));
    std::array<Tap, n> taps{};
    std::copy_if(std::begin(K::kTaps), std::end(K::kTaps), taps.begin(),
                 [](const Tap& t) { return t.dy == Dy; });
    std::sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& b) { return a.dx > b.dx; });
    return taps;
}

// The error a pixel of final value v passes on: white above 128, black else.
constexpr int ErrorOf(int v) {
    return v > 128 ? v - 255 : v;
}

// The part of a pixel's error that a tap of weight W passes on, by the
// pixel's final value; truncated toward zero as integer division does.
template <class K, int W>
constexpr std::array<int16_t, 256> kShare = [] {
    std::array<int16_t, 256> share{};
    for (int v = 0; v < 256; v++) share[v] = static_cast<int16_t>(ErrorOf(v) * W / K::kDivisor);
    return share;
}();

// The distinct weights of the taps into the rows below; the walk along a row
// notes each pixel's share for every one of them.
template <class K>
constexpr size_t CountDownWeights() {
    int seen[std::size(K::kTaps)] = {};
    size_t n = 0;
    for (const Tap& t : K::kTaps)
        if (t.dy > 0 && std::find(seen, seen + n, t.weight) == seen + n) seen[n++] = t.weight;
    return n;
}

template <class K>
constexpr auto DownWeights() {
    std::array<int, CountDownWeights<K>()> weights{};
    size_t n = 0;
    for (const Tap& t : K::kTaps)
        if (t.dy > 0 &&
            std::find(weights.begin(), weights.begin() + n, t.weight) == weights.begin() + n)
            weights[n++] = t.weight;
    return weights;
}

template <class K>
constexpr size_t SlotOf(int weight) {
    constexpr auto kWeights = DownWeights<K>();
    return static_cast<size_t>(std::find(kWeights.begin(), kWeights.end(), weight) -
                               kWeights.begin());
}

// For the walk along a row, where a value is nearly always in range already:
// branches that the processor predicts keep the clamp off the chain that
// runs from pixel to pixel.
inline int ClampToByte(int v) {
    if (__builtin_expect_with_probability(static_cast<unsigned>(v) > 255u, 0, 0.999))
        return v < 0 ? 0 : 255;
    return v;
}

// Errors spread in two steps per row, which gives every pixel the same
// clamped additions in the same order as spreading each pixel's error at
// once: a row is first walked pixel by pixel, keeping the error passed along
// the row in registers and noting each pixel's shares for the rows below;
// then each following row receives the noted shares, target by target, in
// source order. A pixel hears from the rows above before its own row, and a
// row's sources never read the rows below, so nothing else depends on the
// order. The noted shares start at zero and a row's marked chunks are
// cleared once the rows below have them, so that a stretch of flat pixels
// needs no shares written.
constexpr int kChunk = 16;  // targets per step of the second walk
constexpr int kPad = 8;     // zero shares on both sides of a row

// share[s][x] is the share of source x for the weight in slot s.
template <class K, int Dy, size_t... I>
[[gnu::always_inline]] inline void ReceiveOne(uint8_t* target, int t, const int16_t* const* share,
                                              int x, std::index_sequence<I...>) {
    static constexpr auto kRowTaps = TapsOfRow<K, Dy>();
    int v = target[t];
    ((v = std::clamp(v + share[SlotOf<K>(kRowTaps[I].weight)][x - kRowTaps[I].dx], 0, 255)), ...);
    target[t] = static_cast<uint8_t>(v);
}

// Eight targets as 16-bit lanes, wide enough for a target plus a share; one
// SSE2 register.
constexpr int kLanes = 8;
using LaneBytes = uint8_t __attribute__((vector_size(kLanes)));
using Lanes = int16_t __attribute__((vector_size(kLanes * sizeof(int16_t))));

[[gnu::always_inline]] inline Lanes ClampLanes(Lanes v) {
    const Lanes zero = {}, top = zero + 255;
    const Lanes low = v<zero, high = v> top;
    return (v & ~(low | high)) | (top & high);
}

// ReceiveOne for eight targets at once, tap by tap: every target still gets
// its clamped additions in the same order.
template <class K, int Dy, size_t... I>
[[gnu::always_inline]] inline void ReceiveLanes(uint8_t* target, const int16_t* const* share, int x,
                                                std::index_sequence<I...>) {
    static constexpr auto kRowTaps = TapsOfRow<K, Dy>();
    auto load = [share, x](size_t slot, int dx) {
        Lanes lanes;
        std::memcpy(&lanes, share[slot] + x - dx, sizeof lanes);
        return lanes;
    };
    LaneBytes bytes;
    std::memcpy(&bytes, target + x, sizeof bytes);
    Lanes v = __builtin_convertvector(bytes, Lanes);
    ((v = ClampLanes(v + load(SlotOf<K>(kRowTaps[I].weight), kRowTaps[I].dx))), ...);
    bytes = __builtin_convertvector(v, LaneBytes);
    std::memcpy(target + x, &bytes, sizeof bytes);
}

// Adds the noted shares of a finished row to the row dy below. dirty[c + 1]
// is set when chunk c of the finished row passed any error.
template <class K, int Dy>
void ReceiveRow(uint8_t* target, const int16_t* const* share, const uint8_t* dirty, int width) {
    constexpr auto kIdx = std::make_index_sequence<TapsOfRow<K, Dy>().size()>{};
    int x = 0;
    for (; x + kChunk <= width; x += kChunk) {
        const int c = x / kChunk;
        if (!(dirty[c] | dirty[c + 1] | dirty[c + 2])) continue;
        for (int i = 0; i < kChunk; i += kLanes) ReceiveLanes<K, Dy>(target, share, x + i, kIdx);
    }
    for (; x < width; x++) ReceiveOne<K, Dy>(target, x, share, x, kIdx);
}

template <class K, size_t... D>
void ReceiveRows(uint8_t* const* rows, const int16_t* const* share, const uint8_t* dirty, int width,
                 std::index_sequence<D...>) {
    ((rows[D + 1] ? ReceiveRow<K, static_cast<int>(D) + 1>(rows[D + 1], share, dirty, width)
                  : void()),
     ...);
}

// Whether the eight pixels from p on, the first two of them v and n1 rather
// than their stored values, are all 0 or 255; if so their bits, the first
// pixel in the top bit.
inline bool FlatByte(const uint8_t* p, int v, int n1, uint8_t& bits) {
    // Byte i of the word is pixel i.
    uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, p, sizeof word);
        word &= ~uint64_t{0xFFFF};
    } else {
        for (int i = 2; i < 8; i++) word |= static_cast<uint64_t>(p[i]) << (8 * i);
    }
    word |= static_cast<uint64_t>(v) | static_cast<uint64_t>(n1) << 8;
    const uint64_t tops = (word >> 7) & 0x0101010101010101u;
    if (v > 255 || n1 > 255 || word != tops * 0xFF) return false;
    // Gathers the eight top bits into the high byte, byte i to bit 63 - i.
    bits = static_cast<uint8_t>((tops * 0x8040201008040201u) >> 56);
    return true;
}

// One pixel of the walk along a row: v is pixel x, final; n1 is pixel x + 1
// with all but the error of pixel x. Notes x's shares for the rows below,
// passes its error along the row and returns whether x is white.
template <class K, size_t... S>
[[gnu::always_inline]] inline bool StepPixel(const uint8_t* line, int x, int& v, int& n1,
                                             int16_t* const (&share)[sizeof...(S)],
                                             std::index_sequence<S...>) {
    static constexpr auto kWeights = DownWeights<K>();
    constexpr int w1 = RowWeight<K>(1), w2 = RowWeight<K>(2);
    const bool white = v > 128;
    ((share[S][x] = kShare<K, kWeights[S]>[static_cast<size_t>(v)]), ...);
    int next = n1;
    if constexpr (w1 != 0) next = ClampToByte(n1 + kShare<K, w1>[static_cast<size_t>(v)]);
    n1 = line[x + 2];
    if constexpr (w2 != 0) n1 = ClampToByte(n1 + kShare<K, w2>[static_cast<size_t>(v)]);
    v = next;
    return white;
}

// Walks one row: its bits into out, each pixel's shares for the rows below
// into share, a mark per chunk that may have passed error into dirty. line is
// the row with at least two readable bytes after its end. The shares of a
// chunk left unmarked are not written: they are zero already (see Diffuse).
inline uint64_t Word(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Walks one row: its bits into out, each pixel's shares for the rows below
// into share, a mark per chunk that may have passed error into dirty; returns
// whether it marked any. line is the row with at least two readable bytes
// after its end. The shares of a chunk left unmarked are not written: they
// are zero already (see Diffuse).
template <class K>
bool WalkRow(const uint8_t* line, int width, uint8_t* out, int16_t* const* shares, uint8_t* dirty) {
    constexpr size_t kCount = CountDownWeights<K>();
    constexpr auto kSlots = std::make_index_sequence<kCount>{};
    // A local copy of the pointers, which the share stores cannot change: they
    // stay in registers.
    int16_t* share[kCount];
    std::copy_n(shares, kCount, share);
    int v = line[0];   // pixel x, final
    int n1 = line[1];  // pixel x + 1, all but the error of pixel x
    bool marked = false;
    int x = 0;
    while (x + 8 <= width) {
        // A stretch of white that receives no error: eight pixels a word.
        if (v == 255 && n1 == 255 && Word(line + x) == ~uint64_t{0}) {
            do {
                out[x >> 3] = 0xFF;
                x += 8;
            } while (x + 8 <= width && Word(line + x) == ~uint64_t{0});
            v = line[x];
            n1 = line[x + 1];
            continue;
        }
        // Eight pixels that are each white or black pass no error: their bits
        // are their top bits, one output byte at once.
        uint8_t bits = 0;
        if (FlatByte(line + x, v, n1, bits)) {
            out[x >> 3] = bits;
            v = line[x + 8];
            n1 = line[x + 9];
        } else {
            dirty[x / kChunk + 1] = 1;
            marked = true;
            unsigned acc = 0;
#pragma GCC unroll 8
            for (int i = 0; i < 8; i++)
                acc = acc << 1 |
                      static_cast<unsigned>(StepPixel<K>(line, x + i, v, n1, share, kSlots));
            out[x >> 3] = static_cast<uint8_t>(acc);
        }
        x += 8;
    }
    if (x == width) return marked;
    // The last few pixels, marked only when they pass error: most rows end
    // in white.
    unsigned acc = 0;
    bool passed = false;
    for (int i = 0; x + i < width; i++) {
        passed |= ErrorOf(v) != 0;
        acc |= static_cast<unsigned>(StepPixel<K>(line, x + i, v, n1, share, kSlots)) << (7 - i);
    }
    out[x >> 3] = static_cast<uint8_t>(acc);
    if (passed) dirty[x / kChunk + 1] = 1;
    return marked || passed;
}

// Puts the shares of the marked chunks back to zero once the rows below
// have them.
void ClearShares(int16_t* const* share, size_t slots, const uint8_t* dirty, int width) {
    for (int x = 0; x < width; x += kChunk) {
        if (!dirty[x / kChunk + 1]) continue;
        for (size_t s = 0; s < slots; s++) {
            if (x + kChunk <= width)
                std::fill_n(share[s] + x, kChunk, int16_t{0});
            else
                std::fill_n(share[s] + x, width - x, int16_t{0});
        }
    }
}

template <class K>
void Diffuse(CRasterImage& gray, CRasterImage& result) {
    static_assert(Reach<K>(&Tap::dx, true) <= kPad && Reach<K>(&Tap::dx, false) <= kPad);
    static_assert(std::none_of(std::begin(K::kTaps), std::end(K::kTaps),
                               [](const Tap& t) { return t.dy == 0 && (t.dx < 1 || t.dx > 2); }));
    constexpr int kDown = Reach<K>(&Tap::dy, false);
    constexpr size_t kSlots = CountDownWeights<K>();
    const int width = static_cast<int>(gray.GetWidth());
    const int height = static_cast<int>(gray.GetHeight());
    const size_t stride = static_cast<size_t>(width) + 2 * kPad;
    std::vector<uint8_t> line(static_cast<size_t>(width) + kPad);
    std::vector<int16_t> shares(kSlots * stride);
    std::vector<uint8_t> dirty(static_cast<size_t>(width) / kChunk + 3);
    int16_t* share[kSlots];
    for (size_t s = 0; s < kSlots; s++) share[s] = shares.data() + s * stride + kPad;

    for (int y = 0; y < height; y++) {
        std::copy_n(gray.GetBits(static_cast<uint32_t>(y)), width, line.begin());
        // A row that passed no error leaves the rows below as they are.
        if (!WalkRow<K>(line.data(), width, result.GetBits(static_cast<uint32_t>(y)), share,
                        dirty.data()))
            continue;
        uint8_t* rows[kDown + 1];
        for (int d = 1; d <= kDown; d++)
            rows[d] = y + d < height ? gray.GetBits(static_cast<uint32_t>(y + d)) : nullptr;
        ReceiveRows<K>(rows, share, dirty.data(), width, std::make_index_sequence<kDown>{});
        ClearShares(share, kSlots, dirty.data(), width);
        std::fill(dirty.begin(), dirty.end(), uint8_t{0});
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
        PackRow(result.GetBits(y), width,
                [in, level, mask](uint32_t x) { return in[x] > level[x & mask]; });
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

#include "app/documents/GrayResample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// The share of each source pixel in one destination pixel.
struct Tap {
    int first = 0;               // first source pixel
    std::vector<float> weights;  // of source pixels first, first+1, ...
};

// Destination pixel j of m covers source pixels [j*n/m, (j+1)*n/m) of n.
Tap TapFor(int j, int n, int m) {
    const double step = double(n) / m;
    const double from = j * step, to = std::min((j + 1) * step, double(n));
    Tap tap;
    tap.first = std::min(static_cast<int>(from), n - 1);
    for (int s = tap.first; s < n && s < to; s++) {
        const double overlap = std::min(to, s + 1.0) - std::max(from, double(s));
        if (overlap > 0) tap.weights.push_back(static_cast<float>(overlap / step));
    }
    if (tap.weights.empty()) tap.weights.push_back(1.0f);
    return tap;
}

// Black and white, but for a few pixels in a hundred (anti-aliased text
// beside a bar code).
bool IsBilevel(const GrayImage& image) {
    size_t grays = 0;
    for (int y = 0; y < image.height; y++) {
        const uint8_t* row = image.Row(y);
        for (int x = 0; x < image.width; x++) grays += row[x] >= 32 && row[x] < 224;
    }
    return grays * 100 <= size_t(image.width) * size_t(image.height);
}

// The pixel under the centre of each dot.
void DrawNearest(const GrayImage& image, const PixelRect& where, int x0, int x1, int y0, int y1,
                 GrayImage& page) {
    std::vector<int> columns;
    for (int x = x0; x < x1; x++)
        columns.push_back(
            std::min(int((x - where.x + 0.5) * image.width / where.width), image.width - 1));
    for (int y = y0; y < y1; y++) {
        const int sy =
            std::min(int((y - where.y + 0.5) * image.height / where.height), image.height - 1);
        const uint8_t* src = image.Row(sy);
        uint8_t* out = page.Row(y) + x0;
        for (size_t i = 0; i < columns.size(); i++) out[i] = src[columns[i]];
    }
}

uint8_t ToGray(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}
}  // namespace

GrayImage TurnImage(const GrayImage& image, int turns) {
    turns = ((turns % 4) + 4) % 4;
    if (turns == 0) return image;
    const int w = image.width, h = image.height;
    GrayImage out(turns == 2 ? w : h, turns == 2 ? h : w);
    for (int y = 0; y < out.height; y++) {
        uint8_t* row = out.Row(y);
        for (int x = 0; x < out.width; x++) {
            const int sx = turns == 1 ? w - 1 - y : turns == 2 ? w - 1 - x : y;
            const int sy = turns == 1 ? x : turns == 2 ? h - 1 - y : h - 1 - x;
            row[x] = image.Row(sy)[sx];
        }
    }
    return out;
}

void DrawScaled(const GrayImage& image, const PixelRect& where, GrayImage& page) {
    if (image.width <= 0 || image.height <= 0 || where.width <= 0 || where.height <= 0) return;
    const int x0 = std::max(where.x, 0), x1 = std::min(where.x + where.width, page.width);
    const int y0 = std::max(where.y, 0), y1 = std::min(where.y + where.height, page.height);
    if (x0 >= x1 || y0 >= y1) return;
    if (image.width == where.width && image.height == where.height) {
        for (int y = y0; y < y1; y++)
            std::memcpy(page.Row(y) + x0, image.Row(y - where.y) + (x0 - where.x), size_t(x1 - x0));
        return;
    }
    if (where.width >= image.width && where.height >= image.height && IsBilevel(image))
        return DrawNearest(image, where, x0, x1, y0, y1, page);
    std::vector<Tap> columns;
    for (int x = x0; x < x1; x++) columns.push_back(TapFor(x - where.x, image.width, where.width));
    // Rows are scaled across first, into floats, only where they are needed.
    const int width = x1 - x0;
    std::vector<float> sum(static_cast<size_t>(width));
    for (int y = y0; y < y1; y++) {
        const Tap rows = TapFor(y - where.y, image.height, where.height);
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (size_t k = 0; k < rows.weights.size(); k++) {
            const uint8_t* src = image.Row(rows.first + int(k));
            for (int i = 0; i < width; i++) {
                const Tap& c = columns[size_t(i)];
                float v = 0;
                for (size_t t = 0; t < c.weights.size(); t++)
                    v += c.weights[t] * src[c.first + int(t)];
                sum[size_t(i)] += rows.weights[k] * v;
            }
        }
        uint8_t* out = page.Row(y) + x0;
        for (int i = 0; i < width; i++) out[i] = ToGray(sum[size_t(i)]);
    }
}

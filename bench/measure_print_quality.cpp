// Print quality measures for bench/quality.sh, on netpbm files:
//   measure-print-quality dither METHOD IN.pgm OUT.pbm
//       METHOD: a thermal-dither number (0 threshold, 1 Floyd-Steinberg, 3
//       Burkes, 11 worm-free) or line-art, photo or auto (content-aware).
//   measure-print-quality ratio DOTS.pbm
//       Axis energy ratio of a flat gray patch: the mean spectral power of
//       the frequencies within 22.5 degrees of the two axes, divided by that
//       of the frequencies within 22.5 degrees of the diagonals, both inside
//       the circle of the Nyquist frequency and without the zero frequency.
//       1 means the dots are spread evenly in every direction; worms (lines
//       of dots along an axis) raise it.
//   measure-print-quality error IN.pgm DOTS.pbm
//       Mean absolute difference, in gray levels, between the gray image and
//       the dots (black 0, white 255) after both are blurred with a Gaussian
//       of sigma 1.5 dots: how faithfully the dots render the image's tones
//       at a viewing distance.
//   measure-print-quality bars DOTS.pbm MODULE
//       Widths of the bars and spaces across the middle row of the ink: for
//       each run, how far it is from the nearest whole number of modules of
//       MODULE dots; prints the mean and the largest, in dots.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/ContentDots.h"
#include "image/RasterImage.h"
#include "image/WormFreeDither.h"

namespace {
struct Gray {
    int width = 0, height = 0;
    std::vector<double> v;  // 0 black .. 255 white
    double At(int x, int y) const { return v[size_t(y) * size_t(width) + size_t(x)]; }
};

bool ReadNetpbm(const char* path, Gray& g) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char magic[3] = {};
    int maxval = 255;
    bool ok = std::fscanf(f, "%2s %d %d", magic, &g.width, &g.height) == 3;
    const bool bits = ok && !std::strcmp(magic, "P4");
    if (ok && !bits) ok = !std::strcmp(magic, "P5") && std::fscanf(f, "%d", &maxval) == 1;
    ok = ok && std::fgetc(f) != EOF && g.width > 0 && g.height > 0 && maxval == 255;
    if (ok) {
        g.v.resize(size_t(g.width) * size_t(g.height));
        const size_t line = bits ? size_t(g.width + 7) / 8 : size_t(g.width);
        std::vector<uint8_t> row(line);
        for (int y = 0; ok && y < g.height; y++) {
            ok = std::fread(row.data(), 1, line, f) == line;
            for (int x = 0; ok && x < g.width; x++)
                g.v[size_t(y) * size_t(g.width) + size_t(x)] =
                    bits ? ((row[size_t(x) / 8] >> (7 - x % 8)) & 1 ? 0 : 255) : row[size_t(x)];
        }
    }
    std::fclose(f);
    return ok;
}

bool WritePbm(const char* path, const CRasterImage& image) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint32_t w = image.GetWidth(), h = image.GetHeight(), line = (w + 7) / 8;
    std::fprintf(f, "P4\n%u %u\n", w, h);
    bool ok = true;
    std::vector<uint8_t> row(line);
    for (uint32_t y = 0; y < h && ok; y++) {
        const uint8_t* bits = image.GetBits(y);
        for (uint32_t i = 0; i < line; i++) row[i] = uint8_t(~bits[i]);  // PBM: 1 is black
        if (w % 8) row[line - 1] &= uint8_t(0xFF << (8 - w % 8));
        ok = std::fwrite(row.data(), 1, line, f) == line;
    }
    return std::fclose(f) == 0 && ok;
}

int Dither(const char* method, const char* in, const char* out) {
    Gray g;
    if (!ReadNetpbm(in, g)) return std::fprintf(stderr, "cannot read %s\n", in), 1;
    std::vector<uint8_t> px(g.v.begin(), g.v.end());
    CRasterImage image(0);
    image.CreateFromArray(px.data(), uint32_t(g.width), uint32_t(g.height), 8, uint32_t(g.width),
                          false);
    const std::string m = method;
    const int n = std::atoi(method);
    if (m == "line-art" || m == "photo" || m == "auto")
        DotsForContent(image, m == "line-art" ? PageContent::LineArt
                              : m == "photo"  ? PageContent::Photo
                                              : PageContent::Auto);
    else if (n == 0)
        image.Threshold(175);
    else if (n == 11)
        DitherWormFree(image);
    else
        image.Dither(n - 1);
    return WritePbm(out, image) ? 0 : 1;
}

using Complex = std::complex<double>;

// The two-dimensional discrete Fourier transform, row by row then column by
// column (plain, for patches of a few hundred dots).
std::vector<Complex> Spectrum(const Gray& g) {
    const int w = g.width, h = g.height;
    double mean = 0;
    for (double v : g.v) mean += v;
    mean /= double(g.v.size());
    std::vector<Complex> a(g.v.size()), b(g.v.size());
    for (size_t i = 0; i < a.size(); i++) a[i] = g.v[i] - mean;
    auto pass = [](const std::vector<Complex>& in, std::vector<Complex>& out, int n, int lines,
                   int step, int stride) {
        std::vector<Complex> twiddle(size_t(n) * size_t(n));
        for (int k = 0; k < n; k++)
            for (int j = 0; j < n; j++)
                twiddle[size_t(k * n + j)] = std::polar(1.0, -2 * M_PI * k * j / n);
        for (int l = 0; l < lines; l++)
            for (int k = 0; k < n; k++) {
                Complex s = 0;
                for (int j = 0; j < n; j++)
                    s += in[size_t(l * stride + j * step)] * twiddle[size_t(k * n + j)];
                out[size_t(l * stride + k * step)] = s;
            }
    };
    pass(a, b, w, h, 1, w);
    pass(b, a, h, w, w, 1);
    return a;
}

int Ratio(const char* path) {
    Gray g;
    if (!ReadNetpbm(path, g)) return std::fprintf(stderr, "cannot read %s\n", path), 1;
    const std::vector<Complex> s = Spectrum(g);
    double axis = 0, diagonal = 0;
    long axisBins = 0, diagonalBins = 0;
    const double nyquist = std::min(g.width, g.height) / 2.0;
    for (int y = 0; y < g.height; y++)
        for (int x = 0; x < g.width; x++) {
            const double u =
                std::min(x, g.width - x) * std::min(g.width, g.height) / double(g.width);
            const double v =
                std::min(y, g.height - y) * std::min(g.width, g.height) / double(g.height);
            const double r = std::hypot(u, v);
            if (r == 0 || r > nyquist) continue;
            const double power = std::norm(s[size_t(y) * size_t(g.width) + size_t(x)]);
            if (u == 0 || v == 0)
                axis += power, axisBins++;
            else if (u == v)
                diagonal += power, diagonalBins++;
        }
    const double ratio = diagonal > 0 ? (axis / axisBins) / (diagonal / diagonalBins) : 0;
    std::printf("%.2f\n", ratio);
    return 0;
}

Gray Blurred(const Gray& g, double sigma) {
    const int r = int(std::ceil(3 * sigma));
    std::vector<double> k(size_t(2 * r + 1));
    double sum = 0;
    for (int i = -r; i <= r; i++) sum += k[size_t(i + r)] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& w : k) w /= sum;
    Gray t = g, out = g;
    for (int y = 0; y < g.height; y++)
        for (int x = 0; x < g.width; x++) {
            double v = 0;
            for (int i = -r; i <= r; i++)
                v += k[size_t(i + r)] * g.At(std::clamp(x + i, 0, g.width - 1), y);
            t.v[size_t(y) * size_t(g.width) + size_t(x)] = v;
        }
    for (int y = 0; y < g.height; y++)
        for (int x = 0; x < g.width; x++) {
            double v = 0;
            for (int i = -r; i <= r; i++)
                v += k[size_t(i + r)] * t.At(x, std::clamp(y + i, 0, g.height - 1));
            out.v[size_t(y) * size_t(g.width) + size_t(x)] = v;
        }
    return out;
}

int Error(const char* grayPath, const char* dotsPath) {
    Gray g, d;
    if (!ReadNetpbm(grayPath, g) || !ReadNetpbm(dotsPath, d) || g.width != d.width ||
        g.height != d.height)
        return std::fprintf(stderr, "cannot read %s and %s alike\n", grayPath, dotsPath), 1;
    const Gray a = Blurred(g, 1.5), b = Blurred(d, 1.5);
    double sum = 0;
    for (size_t i = 0; i < a.v.size(); i++) sum += std::fabs(a.v[i] - b.v[i]);
    std::printf("%.2f\n", sum / double(a.v.size()));
    return 0;
}

int Bars(const char* path, double module) {
    Gray g;
    if (!ReadNetpbm(path, g) || module <= 0)
        return std::fprintf(stderr, "cannot read %s\n", path), 1;
    int top = g.height, bottom = -1;
    for (int y = 0; y < g.height; y++)
        for (int x = 0; x < g.width; x++)
            if (g.At(x, y) < 128) top = std::min(top, y), bottom = std::max(bottom, y);
    if (bottom < 0) return std::printf("no ink\n"), 0;
    const int y = (top + bottom) / 2;
    double sum = 0, worst = 0;
    int runs = 0, x = 0;
    while (x < g.width && g.At(x, y) >= 128) x++;
    int lastInk = g.width - 1;
    while (lastInk > x && g.At(lastInk, y) >= 128) lastInk--;
    while (x <= lastInk) {
        const bool black = g.At(x, y) < 128;
        int end = x;
        while (end <= lastInk && (g.At(end, y) < 128) == black) end++;
        const double width = end - x;
        const double off = std::fabs(width - std::max(1.0, std::round(width / module)) * module);
        sum += off, worst = std::max(worst, off), runs++;
        x = end;
    }
    if (runs == 0) return std::printf("- -\n"), 0;
    std::printf("%.2f %.2f\n", sum / runs, worst);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "dither" && argc == 5) return Dither(argv[2], argv[3], argv[4]);
    if (what == "ratio" && argc == 3) return Ratio(argv[2]);
    if (what == "error" && argc == 4) return Error(argv[2], argv[3]);
    if (what == "bars" && argc == 4) return Bars(argv[2], std::atof(argv[3]));
    std::fprintf(stderr, "usage: see the top of bench/measure_print_quality.cpp\n");
    return 2;
}

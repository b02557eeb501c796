#include "languages/dymo/Encoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "image/DotLength.h"
#include "image/WhiteRows.h"

namespace {
constexpr int kHeadDots = 672, kHeadDots4xl = 1248;
constexpr int kHighResolutionDpi = 600;  // lines per inch of ESC i
constexpr int kMaxRun = 128;
constexpr int kMaxFeed = 255;
constexpr uint8_t kSyn = 0x16, kEtb = 0x17;
// ESC c, d, e, g: light, medium, normal, dark; darkness 0 to 3.
constexpr uint8_t kDensity[] = {0x63, 0x64, 0x65, 0x67};
// *check*: labels narrower than the head are taken to run centred on it.
constexpr bool kLabelsCentred = true;
// *check*: how far past the label's length the printer may feed looking for
// the next label's top of form (the gap between labels and some slack).
constexpr int kTopOfFormSearchMm = 5;

void AppendBytes(std::string& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out += static_cast<char>(b);
}

bool Dot(const uint8_t* line, size_t x) {
    return (line[x / 8] >> (7 - x % 8)) & 1;
}
}  // namespace

void AppendDymoRuns(std::string& out, const uint8_t* line, size_t bytes) {
    const size_t dots = bytes * 8;
    for (size_t x = 0; x < dots;) {
        const bool black = Dot(line, x);
        size_t n = 1;
        while (x + n < dots && n < kMaxRun && Dot(line, x + n) == black) n++;
        out += static_cast<char>((black ? 0x80 : 0x00) | (n - 1));
        x += n;
    }
}

// The 4XL is told apart by its model name; wider pages are centred and cut
// to the head.
CPrinterDymo::PageLayout CPrinterDymo::LayOut() const {
    PageLayout page;
    const bool wide = GetModelName().find("4XL") != std::string::npos;
    const int headDots = wide ? kHeadDots4xl : kHeadDots;
    page.headBytes = headDots / 8;
    const int width = std::min(static_cast<int>(image.GetWidth()), headDots);
    page.offsetX = (static_cast<int>(image.GetWidth()) - width) / 2;
    page.lineBytes = (width + 7) / 8;
    page.highResolution = image.GetYDPI() >= kHighResolutionDpi;
    return page;
}

void CPrinterDymo::AppendSetup(std::string& out, const PageLayout& page) const {
    if (pagesSent == 0)
        AppendBytes(out, {0x1B, 0x40});
    else
        AppendBytes(out, {0x1B, 0x47});
    const int tab = kLabelsCentred ? (page.headBytes - page.lineBytes) / 2 : 0;
    AppendBytes(out, {0x1B, 0x42, static_cast<uint8_t>(tab)});
    AppendBytes(out, {0x1B, 0x44, static_cast<uint8_t>(page.lineBytes)});
    const int yDpi = page.highResolution ? kHighResolutionDpi : std::max(iDpi, 1);
    const int64_t length = std::min<int64_t>(
        0xFFFF, image.GetHeight() + MmToDots(yDpi, kTopOfFormSearchMm, DotRounding::Down));
    AppendBytes(
        out, {0x1B, 0x4C, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF)});
    AppendBytes(out, {0x1B, static_cast<uint8_t>(page.highResolution ? 0x69 : 0x68)});
    if (reg.iDensity >= 0) AppendBytes(out, {0x1B, kDensity[std::min(reg.iDensity, 3)]});
}

// The page row's dots from offsetX on, set bit black (the image's clear
// bits print).
void CPrinterDymo::FillLine(uint8_t* line, const PageLayout& page, uint32_t row) const {
    const uint8_t* bits = image.GetBits(row);
    std::memset(line, 0, static_cast<size_t>(page.lineBytes));
    const int width = static_cast<int>(image.GetWidth());
    for (int x = 0; x < page.lineBytes * 8 && x + page.offsetX < width; x++) {
        const int src = x + page.offsetX;
        if (!((bits[src / 8] >> (7 - src % 8)) & 1))
            line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
}

void CPrinterDymo::AppendLines(std::string& out, const PageLayout& page) const {
    std::vector<uint8_t> line(static_cast<size_t>(page.lineBytes));
    const size_t bytes = line.size();
    std::string runs;
    uint32_t white = 0;
    auto flushWhite = [&] {
        for (; white > 0; white -= std::min<uint32_t>(white, kMaxFeed))
            AppendBytes(
                out, {0x1B, 0x66, 0x01, static_cast<uint8_t>(std::min<uint32_t>(white, kMaxFeed))});
    };
    for (uint32_t y = 0; y < image.GetHeight(); y++) {
        FillLine(line.data(), page, y);
        if (IsWhiteRow(line.data(), bytes)) {
            white++;
            continue;
        }
        flushWhite();
        runs.clear();
        AppendDymoRuns(runs, line.data(), bytes);
        if (runs.size() < bytes) {
            out += static_cast<char>(kEtb);
            out += runs;
        } else {
            out += static_cast<char>(kSyn);
            out.append(reinterpret_cast<const char*>(line.data()), bytes);
        }
    }
    flushWhite();
}

void CPrinterDymo::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    try {
        const PageLayout page = LayOut();
        std::string out;
        AppendSetup(out, page);
        AppendLines(out, page);
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("DYMO: label of %u lines too long, dropped", image.GetHeight());
            return;
        }
        WriteSpool(out.data(), static_cast<int>(out.size()));
        pagesSent++;
    } catch (const std::bad_alloc&) {
        AddLog("DYMO: out of memory, label dropped");
    }
}

void CPrinterDymo::OnDestroy() {
    if (pagesSent == 0) return;
    const uint8_t end[] = {0x1B, 0x45};
    WriteSpool(end, sizeof end);
    pagesSent = 0;
}

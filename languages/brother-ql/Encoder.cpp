#include "languages/brother-ql/Encoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "printers/PackBits.h"

namespace {
constexpr size_t kInvalidateBytes = 200;
constexpr int kHighResolutionDpi = 600;  // lines per inch of the 300 x 600 mode
constexpr uint8_t kValidContinuous = 0x86, kValidDieCut = 0x8E;
constexpr uint8_t kTypeContinuous = 0x0A, kTypeDieCut = 0x0B;
constexpr uint8_t kAutoCutBit = 0x40;
constexpr uint8_t kCutAtEndBit = 0x08, kHighResolutionBit = 0x40;
constexpr int kContinuousMarginDots = 35;  // 3 mm fed before and after the page
constexpr char kPageEnd = 0x0C, kJobEnd = 0x1A;

void AppendBytes(std::string& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out += static_cast<char>(b);
}

uint8_t Byte(uint32_t v, int shift) {
    return static_cast<uint8_t>((v >> shift) & 0xFF);
}

double Millimetres(uint32_t dots, int dpi) {
    return dpi > 0 ? dots * 25.4 / dpi : 0.0;
}
}  // namespace

// The medium from the page's size (labels unless the media tracking says
// continuous); the page is centred on its printed
// width and, for a die-cut label, on its printed length (the rest is the
// label's unprintable border).
CPrinterBrotherQL::PageLayout CPrinterBrotherQL::LayOut() const {
    PageLayout page;
    const int xDpi = image.GetXDPI() > 0 ? image.GetXDPI() : iDpi;
    const int yDpi = image.GetYDPI() > 0 ? image.GetYDPI() : xDpi;
    page.highResolution = yDpi >= kHighResolutionDpi;
    page.media = &QlMediaForPage(Millimetres(image.GetWidth(), xDpi),
                                 Millimetres(image.GetHeight(), yDpi), reg.iGap[0] != 0);
    page.offsetX = (static_cast<int>(image.GetWidth()) - page.media->dots) / 2;
    page.lines = image.GetHeight();
    if (page.media->DieCut()) {
        page.lines = static_cast<uint32_t>(page.media->lengthDots * (page.highResolution ? 2 : 1));
        page.offsetY = (static_cast<int>(image.GetHeight()) - static_cast<int>(page.lines)) / 2;
    }
    return page;
}

void CPrinterBrotherQL::AppendSetup(std::string& out, const PageLayout& page) const {
    const QlMedia& m = *page.media;
    if (pagesSent == 0) {
        out.append(kInvalidateBytes, '\0');
        AppendBytes(out, {0x1B, 0x40});
    } else {
        out += kPageEnd;
    }
    AppendBytes(out, {0x1B, 0x69, 0x61, 0x01});
    AppendBytes(out, {0x1B, 0x69, 0x7A, m.DieCut() ? kValidDieCut : kValidContinuous,
                      m.DieCut() ? kTypeDieCut : kTypeContinuous, static_cast<uint8_t>(m.widthMm),
                      static_cast<uint8_t>(m.lengthMm), Byte(page.lines, 0), Byte(page.lines, 8),
                      Byte(page.lines, 16), Byte(page.lines, 24),
                      static_cast<uint8_t>(pagesSent == 0 ? 0 : 1), 0x00});
    AppendBytes(out, {0x1B, 0x69, 0x4D, cut.bAutoCut ? kAutoCutBit : uint8_t{0}});
    if (cut.bAutoCut)
        AppendBytes(out,
                    {0x1B, 0x69, 0x41, static_cast<uint8_t>(std::clamp(cut.iCutEvery, 1, 255))});
    AppendBytes(out, {0x1B, 0x69, 0x4B,
                      static_cast<uint8_t>((cut.bCutAtEnd ? kCutAtEndBit : 0) |
                                           (page.highResolution ? kHighResolutionBit : 0))});
    const int margin = m.DieCut() ? 0 : kContinuousMarginDots;
    AppendBytes(out, {0x1B, 0x69, 0x64, Byte(margin, 0), Byte(margin, 8)});
    AppendBytes(out, {0x4D, static_cast<uint8_t>(halftone.ImageCompress ? 0x02 : 0x00)});
}

// One head line: the page row mirrored, its medium's left edge at pin
// `left` + W - 1 and its right edge at pin `left`. A clear image bit prints.
void CPrinterBrotherQL::FillLine(uint8_t* line, const PageLayout& page, int row) const {
    std::memset(line, 0, kQlLineBytes);
    if (row < 0 || row >= static_cast<int>(image.GetHeight())) return;
    const uint8_t* bits = image.GetBits(static_cast<uint32_t>(row));
    const QlMedia& m = *page.media;
    const int width = static_cast<int>(image.GetWidth());
    for (int x = 0; x < m.dots; x++) {
        const int src = x + page.offsetX;
        if (src < 0 || src >= width || ((bits[src / 8] >> (7 - src % 8)) & 1)) continue;
        const int pin = m.left + m.dots - 1 - x;
        line[pin / 8] |= static_cast<uint8_t>(0x80 >> (pin % 8));
    }
}

void CPrinterBrotherQL::AppendLines(std::string& out, const PageLayout& page) const {
    uint8_t line[kQlLineBytes];
    std::string packed;
    for (uint32_t y = 0; y < page.lines; y++) {
        FillLine(line, page, static_cast<int>(y) + page.offsetY);
        const char* data = reinterpret_cast<const char*>(line);
        size_t size = kQlLineBytes;
        if (halftone.ImageCompress) {
            packed.clear();
            AppendPackBits(packed, line, kQlLineBytes);
            data = packed.data();
            size = packed.size();
        }
        AppendBytes(out, {0x67, 0x00, static_cast<uint8_t>(size)});
        out.append(data, size);
    }
}

void CPrinterBrotherQL::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    try {
        const PageLayout page = LayOut();
        std::string out;
        out.reserve(kInvalidateBytes + 64 + page.lines * (kQlLineBytes + 4));
        AppendSetup(out, page);
        AppendLines(out, page);
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("Brother QL: page of %u lines too long, dropped", page.lines);
            return;
        }
        AddLog("Brother QL: %d mm %s, %u lines", page.media->widthMm,
               page.media->DieCut() ? "die-cut labels" : "tape", page.lines);
        WriteSpool(out.data(), static_cast<int>(out.size()));
        pagesSent++;
    } catch (const std::bad_alloc&) {
        AddLog("Brother QL: out of memory, page dropped");
    }
}

void CPrinterBrotherQL::OnDestroy() {
    if (pagesSent == 0) return;
    WriteSpool(&kJobEnd, 1);
    pagesSent = 0;
}

#include "languages/ptouch/Encoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "printers/PackBits.h"

namespace {
constexpr size_t kInvalidateBytes = 100;
constexpr uint8_t kValidTypeAndWidth = 0x86;  // media type and width valid, recovery on
// *check*: the tape type the print information names. With the type valid a
// printer holding another kind of tape reports "replace media".
constexpr uint8_t kLaminatedTape = 0x01;
constexpr uint8_t kAutoCutBit = 0x40;
constexpr uint8_t kNoChainBit = 0x08;  // feed and cut after the last label
constexpr int kMarginDots = 14;        // 2 mm fed before and after the page
// *check*: the P700 reference writes a raster line as `g`; the E550W, P750W
// and P900 references write `G` with the same layout.
constexpr uint8_t kRasterLine = 0x67;
constexpr uint8_t kWhiteLine = 0x5A;
constexpr char kPageEnd = 0x0C, kJobEnd = 0x1A;

void AppendBytes(std::string& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out += static_cast<char>(b);
}

uint8_t Byte(uint32_t v, int shift) {
    return static_cast<uint8_t>((v >> shift) & 0xFF);
}
}  // namespace

// The tape nearest the page's width; the page is centred on its printed
// width.
CPrinterPtouch::PageLayout CPrinterPtouch::LayOut() const {
    PageLayout page;
    const int xDpi = image.GetXDPI() > 0 ? image.GetXDPI() : iDpi;
    page.tape = &PtouchTapeForPage(xDpi > 0 ? image.GetWidth() * 25.4 / xDpi : 0.0);
    page.offsetX = (static_cast<int>(image.GetWidth()) - page.tape->pins) / 2;
    page.lines = image.GetHeight();
    return page;
}

void CPrinterPtouch::AppendSetup(std::string& out, const PageLayout& page) const {
    if (pagesSent == 0) {
        out.append(kInvalidateBytes, '\0');
        AppendBytes(out, {0x1B, 0x40});
    } else {
        out += kPageEnd;
    }
    AppendBytes(out, {0x1B, 0x69, 0x61, 0x01});
    AppendBytes(out, {0x1B, 0x69, 0x7A, kValidTypeAndWidth, kLaminatedTape, page.tape->code, 0x00,
                      Byte(page.lines, 0), Byte(page.lines, 8), Byte(page.lines, 16),
                      Byte(page.lines, 24), static_cast<uint8_t>(pagesSent == 0 ? 0 : 1), 0x00});
    AppendBytes(out, {0x1B, 0x69, 0x4D, cut.bAutoCut ? kAutoCutBit : uint8_t{0}});
    AppendBytes(out, {0x1B, 0x69, 0x4B, cut.bCutAtEnd ? kNoChainBit : uint8_t{0}});
    AppendBytes(out, {0x1B, 0x69, 0x64, Byte(kMarginDots, 0), Byte(kMarginDots, 8)});
    AppendBytes(out, {0x4D, static_cast<uint8_t>(halftone.ImageCompress ? 0x02 : 0x00)});
}

// One head line from a page row; false when it prints nothing. A clear
// image bit prints.
bool CPrinterPtouch::FillLine(uint8_t* line, const PageLayout& page, uint32_t row) const {
    std::memset(line, 0, kPtouchLineBytes);
    const uint8_t* bits = image.GetBits(row);
    const int width = static_cast<int>(image.GetWidth());
    bool black = false;
    for (int x = 0; x < page.tape->pins; x++) {
        const int src = x + page.offsetX;
        if (src < 0 || src >= width || ((bits[src / 8] >> (7 - src % 8)) & 1)) continue;
        const int pin = PtouchPinOfColumn(*page.tape, x);
        line[pin / 8] |= static_cast<uint8_t>(0x80 >> (pin % 8));
        black = true;
    }
    return black;
}

// PackBits that would not save a byte goes as one literal run of the line.
void CPrinterPtouch::AppendLines(std::string& out, const PageLayout& page) const {
    uint8_t line[kPtouchLineBytes];
    std::string packed;
    for (uint32_t y = 0; y < page.lines; y++) {
        if (!FillLine(line, page, y)) {
            out += static_cast<char>(kWhiteLine);
            continue;
        }
        packed.clear();
        if (halftone.ImageCompress) AppendPackBits(packed, line, kPtouchLineBytes);
        if (!halftone.ImageCompress || packed.size() > kPtouchLineBytes) {
            packed.clear();
            if (halftone.ImageCompress) packed += static_cast<char>(kPtouchLineBytes - 1);
            packed.append(reinterpret_cast<const char*>(line), kPtouchLineBytes);
        }
        AppendBytes(out, {kRasterLine, static_cast<uint8_t>(packed.size()), 0x00});
        out += packed;
    }
}

void CPrinterPtouch::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    try {
        const PageLayout page = LayOut();
        std::string out;
        out.reserve(kInvalidateBytes + 64 + page.lines * (kPtouchLineBytes + 4));
        AppendSetup(out, page);
        AppendLines(out, page);
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("Brother P-touch: page of %u lines too long, dropped", page.lines);
            return;
        }
        AddLog("Brother P-touch: %.1f mm tape, %u lines", page.tape->widthMm, page.lines);
        WriteSpool(out.data(), static_cast<int>(out.size()));
        pagesSent++;
    } catch (const std::bad_alloc&) {
        AddLog("Brother P-touch: out of memory, page dropped");
    }
}

void CPrinterPtouch::OnDestroy() {
    if (pagesSent == 0) return;
    WriteSpool(&kJobEnd, 1);
    pagesSent = 0;
}

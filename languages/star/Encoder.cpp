#include "languages/star/Encoder.h"

#include <algorithm>
#include <climits>
#include <new>

#include "image/WhiteRows.h"

namespace {
constexpr int kMaxRowBytes = 0xFFFF;  // b n1 n2 counts in 16 bits
// (check) The largest blank feed of one ESC * r Y; longer runs are split.
constexpr int kMaxBlankRows = 255;
// (check) Print quality 2, taken to be high quality.
constexpr int kQuality = 2;
// EOT/FF modes: 3 feed to the tear bar, 9 feed to the cutter and cut fully,
// 13 feed to the cutter and cut partially.
constexpr int kModeTearBar = 3, kModeFullCut = 9, kModePartialCut = 13;
// (check) FS kicks drawer 1 at once; it is sent outside raster mode.
constexpr uint8_t kDrawerKick = 0x1C;

void AppendBytes(std::string& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out += static_cast<char>(b);
}
}  // namespace

void AppendStarNumber(std::string& out, const char* command, int n) {
    AppendBytes(out, {0x1B, '*', 'r'});
    out += command;
    out += std::to_string(std::max(n, 0));
    out += '\0';
}

int StarCutAction(int cutMode) {
    switch (cutMode) {
        case 1:
        case 3:
            return kModeFullCut;
        case 2:
        case 4:
            return kModePartialCut;
        default:
            return kModeTearBar;
    }
}

void CPrinterStar::AppendJobStart(std::string& out) const {
    if (reg.iCashDrawer == 1) out += static_cast<char>(kDrawerKick);
    AppendBytes(out, {0x1B, '*', 'r', 'A'});
    AppendStarNumber(out, "Q", kQuality);
    AppendStarNumber(out, "P", 0);
    AppendStarNumber(out, "E", StarCutAction(reg.iCutMode));
    if (CutsEveryPage()) AppendStarNumber(out, "F", StarCutAction(reg.iCutMode));
}

// Set bits are dots (after Negative); the bits past the page's width in the
// last byte are cleared.
void CPrinterStar::AppendRows(std::string& out) const {
    const uint32_t width = image.GetWidth();
    const size_t rowBytes = (width + 7) / 8;
    const uint8_t lastMask = static_cast<uint8_t>(0xFF << ((8 - width % 8) % 8));
    std::string row;
    int white = 0;
    auto flushWhite = [&] {
        for (; white > 0; white -= std::min(white, kMaxBlankRows))
            AppendStarNumber(out, "Y", std::min(white, kMaxBlankRows));
    };
    for (uint32_t y = 0; y < image.GetHeight(); y++) {
        row.assign(reinterpret_cast<const char*>(image.GetBits(y)), rowBytes);
        row.back() = static_cast<char>(row.back() & lastMask);
        if (IsWhiteRow(reinterpret_cast<const uint8_t*>(row.data()), rowBytes)) {
            white++;
            continue;
        }
        flushWhite();
        AppendBytes(
            out, {'b', static_cast<uint8_t>(rowBytes & 0xFF), static_cast<uint8_t>(rowBytes >> 8)});
        out += row;
    }
    flushWhite();
}

void CPrinterStar::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    if ((image.GetWidth() + 7) / 8 > static_cast<uint32_t>(kMaxRowBytes)) {
        AddLog("Star: page of %u dots per row too wide, dropped", image.GetWidth());
        return;
    }
    Negative();  // b n1 n2 burns set bits
    LimitWhiteRuns();
    try {
        std::string out;
        if (pagesSent == 0)
            AppendJobStart(out);
        else if (CutsEveryPage())
            AppendBytes(out, {0x1B, 0x0C, 0x00});
        AppendRows(out);
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("Star: page of %u rows too long, dropped", image.GetHeight());
            return;
        }
        WriteSpool(out.data(), static_cast<int>(out.size()));
        pagesSent++;
    } catch (const std::bad_alloc&) {
        AddLog("Star: out of memory, page dropped");
    }
}

void CPrinterStar::OnDestroy() {
    if (pagesSent == 0) return;
    std::string out;
    AppendBytes(out, {0x1B, 0x0C, 0x04, 0x1B, '*', 'r', 'B'});
    if (reg.iCashDrawer == 2) out += static_cast<char>(kDrawerKick);
    WriteSpool(out.data(), static_cast<int>(out.size()));
    pagesSent = 0;
}

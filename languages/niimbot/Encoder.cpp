#include "languages/niimbot/Encoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>

#include "image/WhiteRows.h"
#include "languages/niimbot/NiimbotPacket.h"

namespace {
using namespace niimbot;

// The generations this encoder writes. D11 and D110 (96 dots, density 1-3)
// take the short print start; B1 and B21 (384 dots, density 1-5) the long
// one; D110_M, D11_H and B21_PRO (density 1-5) the nine-byte one.
constexpr NiimbotGeneration kD110{"D110", 96, 3, 2, true, NiimbotStart::Short};
constexpr NiimbotGeneration kB1{"B1", 384, 5, 3, false, NiimbotStart::Long};
constexpr NiimbotGeneration kD110M{"D110_M", 96, 5, 3, true, NiimbotStart::Nine};
constexpr NiimbotGeneration kB21Pro{"B21_PRO", 384, 5, 3, false, NiimbotStart::Nine};

// The nine-byte print start's last two bytes, print quality and a flag,
// whose meaning is not known: sent as 0 (unconfirmed).
constexpr uint8_t kNineStartQuality = 0x00, kNineStartFlag = 0x00;

// Whether bitmap rows carry their dot counts; the printers are reported to
// print as well with zeros there (unconfirmed which firmware needs them).
constexpr bool kSendDotCounts = true;
constexpr uint32_t kMaxRun = 255;  // rows in one empty-row or bitmap packet

uint8_t Hi(uint32_t v) {
    return static_cast<uint8_t>(v >> 8);
}
uint8_t Lo(uint32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}

void AppendStart(std::string& out, const NiimbotGeneration& g, uint8_t density, uint8_t type) {
    AppendPacket(out, kSetDensity, {density});
    AppendPacket(out, kSetLabelType, {type});
    switch (g.start) {
        case NiimbotStart::Short:
            AppendPacket(out, kPrintStart, {0x01});
            AppendPacket(out, kPrintClear, {0x01});
            break;
        case NiimbotStart::Long:
            AppendPacket(out, kPrintStart, {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
            break;
        case NiimbotStart::Nine:
            // The heartbeat follows at once, its answer not waited for.
            AppendPacket(
                out, kPrintStart,
                {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, kNineStartQuality, kNineStartFlag});
            AppendPacket(out, kHeartbeat, {0x01});
            return;  // no PageStart
    }
    AppendPacket(out, kPageStart, {0x01});
}

// Rows, columns; then copies (1) for the long start, and copies, cut height,
// cut type, 0, send-all and part height (all 0) for the nine-byte one.
void AppendPageSize(std::string& out, const NiimbotGeneration& g, uint32_t rows) {
    const auto cols = static_cast<uint32_t>(g.headDots);
    switch (g.start) {
        case NiimbotStart::Short:
            AppendPacket(out, kSetPageSize, {Hi(rows), Lo(rows), Hi(cols), Lo(cols)});
            AppendPacket(out, kPrintQuantity, {0x00, 0x01});
            break;
        case NiimbotStart::Long:
            AppendPacket(out, kSetPageSize, {Hi(rows), Lo(rows), Hi(cols), Lo(cols), 0x00, 0x01});
            break;
        case NiimbotStart::Nine:
            AppendPacket(out, kSetPageSize,
                         {Hi(rows), Lo(rows), Hi(cols), Lo(cols), 0x00, 0x01, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00});
            break;
    }
}

bool SameRow(const uint8_t* a, const uint8_t* b, size_t bytes) {
    return std::memcmp(a, b, bytes) == 0;
}
}  // namespace

std::array<uint8_t, 3> NiimbotDotCounts(const uint8_t* row, size_t bytes, int headDots) {
    std::array<uint8_t, 3> c{};
    if (!kSendDotCounts) return c;
    const size_t chunk = static_cast<size_t>(std::max(headDots, 0)) / 8 / 3;
    size_t total = 0;
    for (size_t i = 0; i < bytes; i++) {
        const auto dots = static_cast<size_t>(std::popcount(row[i]));
        total += dots;
        if (chunk > 0 && bytes <= 3 * chunk)
            c[i / chunk] = static_cast<uint8_t>(c[i / chunk] + dots);
    }
    if (chunk == 0 || bytes > 3 * chunk) c = {0, Lo(total), Hi(total)};
    return c;
}

void AppendNiimbotRows(std::string& out, const std::vector<uint8_t>& lines, size_t bytes,
                       int headDots) {
    const auto rows = static_cast<uint32_t>(bytes ? lines.size() / bytes : 0);
    std::vector<uint8_t> data;
    for (uint32_t y = 0; y < rows;) {
        const uint8_t* row = lines.data() + size_t{y} * bytes;
        uint32_t n = 1;
        const bool white = IsWhiteRow(row, bytes);
        while (y + n < rows && n < kMaxRun) {
            const uint8_t* next = row + size_t{n} * bytes;
            if (white ? !IsWhiteRow(next, bytes) : !SameRow(row, next, bytes)) break;
            n++;
        }
        if (white) {
            AppendPacket(out, kEmptyRows, {Hi(y), Lo(y), static_cast<uint8_t>(n)});
        } else {
            const std::array<uint8_t, 3> c = NiimbotDotCounts(row, bytes, headDots);
            data.assign({Hi(y), Lo(y), c[0], c[1], c[2], static_cast<uint8_t>(n)});
            data.insert(data.end(), row, row + bytes);
            AppendPacket(out, kBitmapRow, data);
        }
        y += n;
    }
}

const NiimbotGeneration& CPrinterNiimbot::GenerationOf(std::string_view modelName) {
    auto names = [modelName](std::string_view model) {
        return modelName.find(model) != std::string_view::npos;
    };
    if (names("D110_M") || names("D11_H")) return kD110M;
    if (names("B21_PRO")) return kB21Pro;
    return names("D11") ? kD110 : kB1;
}

uint8_t CPrinterNiimbot::LabelType() const {
    // zeMediaTracking: 0 continuous, 1 gap, 2 black mark, 3 perforated.
    switch (reg.iGap[0]) {
        case 0:
            return 3;
        case 2:
            return 2;
        case 3:
            return 4;
        default:
            return 1;
    }
}

uint8_t CPrinterNiimbot::Density(const NiimbotGeneration& g) const {
    if (reg.iDensity < 0) return static_cast<uint8_t>(g.darknessDefault);
    return static_cast<uint8_t>(std::min(reg.iDensity + 1, g.darknessMax));
}

bool CPrinterNiimbot::Dot(uint32_t x, uint32_t y) const {
    return (image.GetBits(y)[x / 8] >> (7 - x % 8)) & 1;
}

// Head row y, dot x: the page centred on the head; turned, head row y is
// page column y read from the page's bottom row up.
std::vector<uint8_t> CPrinterNiimbot::HeadRows(const NiimbotGeneration& g, uint32_t& rows) const {
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    const bool turn = g.sideways && static_cast<int>(width) > g.headDots;
    rows = turn ? width : height;
    const int across = static_cast<int>(turn ? height : width);
    const int shift = (across - g.headDots) / 2;  // page position of head dot 0
    const size_t bytes = static_cast<size_t>(g.headDots) / 8;
    std::vector<uint8_t> lines(size_t{rows} * bytes, 0);
    const int from = std::max(0, -shift), to = std::min(g.headDots, across - shift);
    for (uint32_t y = 0; y < rows; y++) {
        uint8_t* line = lines.data() + size_t{y} * bytes;
        for (int x = from; x < to; x++) {
            const auto s = static_cast<uint32_t>(x + shift);
            if (turn ? Dot(y, height - 1 - s) : Dot(s, y))
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return lines;
}

void CPrinterNiimbot::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    const NiimbotGeneration& g = GenerationOf(GetModelName());
    const bool turn = g.sideways && static_cast<int>(image.GetWidth()) > g.headDots;
    if ((turn ? image.GetWidth() : image.GetHeight()) > kMaxRows) {
        AddLog("NIIMBOT: page of more than %u rows, dropped", kMaxRows);
        return;
    }
    Negative();  // set bits become dots
    try {
        uint32_t rows = 0;
        const std::vector<uint8_t> lines = HeadRows(g, rows);
        std::string out;
        AppendStart(out, g, Density(g), LabelType());
        AppendPageSize(out, g, rows);
        AppendNiimbotRows(out, lines, static_cast<size_t>(g.headDots) / 8, g.headDots);
        AppendPacket(out, kPageEnd, {0x01});
        AppendPacket(out, kPrintStatus, {0x01});
        AppendPacket(out, kPrintEnd, {0x01});
        WriteSpool(out.data(), static_cast<int>(std::min<size_t>(out.size(), INT_MAX)));
    } catch (const std::bad_alloc&) {
        AddLog("NIIMBOT: out of memory, page dropped");
    }
}

#include "languages/cat/Encoder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <new>

#include "image/DotLength.h"
#include "image/WhiteRows.h"
#include "languages/cat/CatPacket.h"

namespace {
constexpr uint32_t kMaxFeedRows = 255;
// Upper bound of the tear-off feed; more is certainly a settings error.
constexpr int kMaxTearRows = 65535;

void Append(std::string& out, uint8_t command, std::initializer_list<uint8_t> data) {
    cat::AppendPacket(out, command, std::span<const uint8_t>(data.begin(), data.size()));
}
}  // namespace

void AppendCatFeed(std::string& out, uint32_t rows) {
    while (rows > 0) {
        const uint32_t n = std::min(rows, kMaxFeedRows);
        Append(out, cat::kFeed, {static_cast<uint8_t>(n), 0x00});
        rows -= n;
    }
}

uint16_t CPrinterCat::EnergyOf(int darkness) {
    const int level = darkness < 0 ? kUsualDarkness : std::min(darkness, kDarknessLevels - 1);
    return static_cast<uint16_t>(0x1000 + 0x800 * level);
}

uint8_t CPrinterCat::SpeedOf(int speed) {
    if (speed < 0) return kUsualSpeed;
    return static_cast<uint8_t>(std::clamp(speed, 1, 255));
}

void CPrinterCat::AppendStart(std::string& out) const {
    Append(out, cat::kStatus, {0x00});
    Append(out, cat::kQuality, {kQuality});
    cat::AppendPacket(out, cat::kLattice, cat::kLatticeStart);
    const uint16_t energy = EnergyOf(reg.iDensity);
    Append(out, cat::kEnergy,
           {static_cast<uint8_t>(energy & 0xFF), static_cast<uint8_t>(energy >> 8)});
    Append(out, cat::kDrawingMode, {0x00});
    Append(out, cat::kSpeed, {SpeedOf(reg.iSpeed)});
}

// The page row on the head, centred: a narrower page gets white at both
// sides, a wider one loses its edges. The page's set bits are dots; on the
// line the least significant bit is the leftmost dot.
void CPrinterCat::FillLine(uint8_t* line, uint32_t row) const {
    std::fill(line, line + kLineBytes, 0);
    const uint8_t* bits = image.GetBits(row);
    const int width = static_cast<int>(image.GetWidth());
    const int shift = (width - kHeadDots) / 2;  // page column of head dot 0
    const int from = std::max(0, -shift), to = std::min(kHeadDots, width - shift);
    for (int x = from; x < to; x++) {
        const int src = x + shift;
        if ((bits[src / 8] >> (7 - src % 8)) & 1) line[x / 8] |= static_cast<uint8_t>(1 << (x % 8));
    }
}

void CPrinterCat::AppendLines(std::string& out) const {
    std::array<uint8_t, kLineBytes> line{};
    uint32_t white = 0;
    for (uint32_t y = 0; y < image.GetHeight(); y++) {
        FillLine(line.data(), y);
        if (IsWhiteRow(line.data(), line.size())) {
            white++;
            continue;
        }
        AppendCatFeed(out, white);
        white = 0;
        cat::AppendPacket(out, cat::kLine, line);
    }
    // White at the end of the page travels with the tear-off feed.
    const int tear = std::clamp(MmToDots(iDpi > 0 ? iDpi : 203, reg.iFeedAfter, DotRounding::Up), 0,
                                kMaxTearRows);
    AppendCatFeed(out, white + static_cast<uint32_t>(tear));
}

void CPrinterCat::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    Negative();  // set bits become dots
    LimitWhiteRuns();
    try {
        std::string out;
        AppendStart(out);
        AppendLines(out);
        cat::AppendPacket(out, cat::kLattice, cat::kLatticeEnd);
        Append(out, cat::kStatus, {0x00});
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("Cat printer: page of %u lines too long, dropped", image.GetHeight());
            return;
        }
        WriteSpool(out.data(), static_cast<int>(out.size()));
    } catch (const std::bad_alloc&) {
        AddLog("Cat printer: out of memory, page dropped");
    }
}

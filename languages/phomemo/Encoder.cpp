#include "languages/phomemo/Encoder.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {
// (check) The M02 header's vendor command, taken to be the heat setting; it
// is sent as the vendor app sends it.
constexpr uint8_t kReceiptHeader[] = {0x1B, 0x40, 0x1B, 0x61, 0x01, 0x1F, 0x11, 0x02, 0x04};
// ESC d 2 twice, then the battery, timer, firmware and serial queries.
constexpr uint8_t kReceiptTrailer[] = {0x1B, 0x64, 0x02, 0x1B, 0x64, 0x02, 0x1F, 0x11, 0x08,
                                       0x1F, 0x11, 0x0E, 0x1F, 0x11, 0x07, 0x1F, 0x11, 0x09};
// (check) Both feeds after a label: to the next gap, and the second one.
constexpr uint8_t kLabelTrailer[] = {0x1F, 0xF0, 0x05, 0x00, 0x1F, 0xF0, 0x03, 0x00};
// Speed levels 1 (slow) to 5, density 1 to 15; the defaults when the job
// sets none.
constexpr int kSpeedMax = 5, kSpeedDefault = 3;
constexpr int kDensityMax = 15, kDensityDefault = 8;
// Media type of 1F 11: labels with gaps, continuous, black mark.
constexpr uint8_t kMediaGaps = 0x0A, kMediaContinuous = 0x0B, kMediaMark = 0x26;

template <size_t N>
void Append(std::string& out, const uint8_t (&bytes)[N]) {
    out.append(reinterpret_cast<const char*>(bytes), N);
}

void Append(std::string& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out += static_cast<char>(b);
}

uint8_t Lo(uint32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}
uint8_t Hi(uint32_t v) {
    return static_cast<uint8_t>((v >> 8) & 0xFF);
}
}  // namespace

bool CPrinterPhomemo::IsReceiptModel(std::string_view modelName) {
    return modelName.find("M02") != std::string_view::npos ||
           modelName.find("T02") != std::string_view::npos;
}

uint8_t CPrinterPhomemo::Speed() const {
    if (reg.iSpeed < 0) return kSpeedDefault;
    return static_cast<uint8_t>(std::clamp(reg.iSpeed, 1, kSpeedMax));
}

uint8_t CPrinterPhomemo::Density() const {
    if (reg.iDensity < 0) return kDensityDefault;
    return static_cast<uint8_t>(std::clamp(reg.iDensity + 1, 1, kDensityMax));
}

uint8_t CPrinterPhomemo::MediaType() const {
    // zeMediaTracking: 0 continuous, 1 gap, 2 black mark.
    switch (reg.iGap[0]) {
        case 0:
            return kMediaContinuous;
        case 2:
            return kMediaMark;
        default:
            return kMediaGaps;
    }
}

void CPrinterPhomemo::AppendLabelHeader(std::string& out) const {
    Append(out, {0x1B, 0x4E, 0x0D, Speed(), 0x1B, 0x4E, 0x04, Density(), 0x1F, 0x11, MediaType()});
}

// Set bits are dots (after Negative); the bits past the page's width in the
// last byte are cleared.
void CPrinterPhomemo::AppendBlocks(std::string& out) const {
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    const uint32_t rowBytes = (width + 7) / 8;
    const auto lastMask = static_cast<uint8_t>(0xFF << ((8 - width % 8) % 8));
    out.reserve(out.size() + size_t{rowBytes} * height + (height / kMaxBlockRows + 1) * 8 + 64);
    for (uint32_t first = 0; first < height; first += kMaxBlockRows) {
        const uint32_t rows = std::min(kMaxBlockRows, height - first);
        Append(out, {0x1D, 0x76, 0x30, 0x00, Lo(rowBytes), Hi(rowBytes), Lo(rows), Hi(rows)});
        for (uint32_t y = first; y < first + rows; y++) {
            out.append(reinterpret_cast<const char*>(image.GetBits(y)), rowBytes);
            out.back() = static_cast<char>(out.back() & lastMask);
        }
    }
}

void CPrinterPhomemo::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0 || image.GetHeight() == 0) return;
    if ((image.GetWidth() + 7) / 8 > kMaxRowBytes) {
        AddLog("Phomemo: page of %u dots per row too wide, dropped", image.GetWidth());
        return;
    }
    Negative();  // GS v 0 burns set bits
    const bool m02Class = IsReceiptModel(GetModelName());
    try {
        std::string out;
        if (m02Class)
            Append(out, kReceiptHeader);
        else
            AppendLabelHeader(out);
        AppendBlocks(out);
        if (m02Class)
            Append(out, kReceiptTrailer);
        else
            Append(out, kLabelTrailer);
        if (out.size() > static_cast<size_t>(INT_MAX)) {
            AddLog("Phomemo: page of %u rows too long, dropped", image.GetHeight());
            return;
        }
        WriteSpool(out.data(), static_cast<int>(out.size()));
    } catch (const std::bad_alloc&) {
        AddLog("Phomemo: out of memory, page dropped");
    }
}

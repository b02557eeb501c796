#include "languages/epl/Encoder.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "image/DotLength.h"

namespace {
constexpr uint32_t kMaxBandRows = 255;
// Gap or mark length when the media setting gives none.
constexpr int kDefaultGapMm = 3;
// The hardware option that turns the cutter on: it cuts after every label.
// The printer keeps it until told otherwise, so it is only ever sent on.
constexpr const char* kCutterOn = "OC";
// iPeelCutMode's cutter (see tagREGSTRUCT).
constexpr int kCutterMode = 2;

void AppendLine(std::string& page, const std::string& line) {
    page += line;
    page += '\n';
}

// In the image, as in EPL2 graphics, a clear bit prints black.
bool RowIsWhite(const uint8_t* row, uint32_t rowBytes) {
    return std::all_of(row, row + rowBytes, [](uint8_t b) { return b == 0xFF; });
}
}  // namespace

// Q<length>,<gap> for gap and perforated media, Q<length>,B<mark> for black
// mark, Q<length>,0 for continuous media; an offset goes third when set.
std::string CPrinterEPL::LabelLength() const {
    std::string q = "Q" + std::to_string(image.GetHeight()) + ",";
    const int type = reg.iGap[0];
    if (type != 1 && type != 2 && type != 3) return q + "0";
    const int gap = MmToDots(iDpi, reg.iGap[1] > 0 ? reg.iGap[1] : kDefaultGapMm, DotRounding::Up);
    q += (type == 2 ? "B" : "") + std::to_string(gap);
    if (reg.iGap[2] != 0) q += "," + std::to_string(MmToDots(iDpi, reg.iGap[2], DotRounding::Up));
    return q;
}

void CPrinterEPL::AppendSetup(std::string& page) const {
    AppendLine(page, "N");
    AppendLine(page, "q" + std::to_string(image.GetWidth()));
    AppendLine(page, LabelLength());
    if (reg.iDensity >= 0) AppendLine(page, "D" + std::to_string(std::min(reg.iDensity, 15)));
    if (reg.iSpeed > 0) AppendLine(page, "S" + std::to_string(std::min(reg.iSpeed, 6)));
    if (reg.iPeelCutMode == kCutterMode) AppendLine(page, kCutterOn);
}

// Runs of inked rows, each cut into bands of at most 255 rows; white rows
// are left out since N cleared the buffer.
void CPrinterEPL::AppendBands(std::string& page) const {
    const uint32_t rowBytes = (image.GetWidth() + 7) / 8, height = image.GetHeight();
    const size_t stride = image.GetEffWidth();
    const uint8_t* bits = image.GetBits(0);
    for (uint32_t y = 0; y < height;) {
        if (RowIsWhite(bits + y * stride, rowBytes)) {
            y++;
            continue;
        }
        uint32_t end = y + 1;
        while (end < height && end - y < kMaxBandRows && !RowIsWhite(bits + end * stride, rowBytes))
            end++;
        AppendLine(page, "GW0," + std::to_string(y) + "," + std::to_string(rowBytes) + "," +
                             std::to_string(end - y));
        for (; y < end; y++)
            page.append(reinterpret_cast<const char*>(bits + y * stride), rowBytes);
        page += '\n';
    }
}

void CPrinterEPL::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0) return;
    try {
        std::string page = "\n";
        AppendSetup(page);
        AppendBands(page);
        AppendLine(page, "P1");
        WriteSpool(page.data(), static_cast<int>(page.size()));
    } catch (const std::bad_alloc&) {
        AddLog("EPL: out of memory, page dropped");
    }
}

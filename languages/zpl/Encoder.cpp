#include "languages/zpl/Encoder.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "languages/zpl/ZplGraphic.h"

namespace {
void AppendCommand(std::string& page, const char* name, const std::string& value) {
    page += name;
    page += value;
    page += '\n';
}

// ^MN by media type (see tagREGSTRUCT::iGap): perforated paper is sensed
// like gaps, roll and recording paper run continuously.
char MediaTracking(int type) {
    switch (type) {
        case 1:
        case 3:
            return 'Y';
        case 2:
            return 'M';
        default:
            return 'N';
    }
}

// ^MM by label mode: tear-off, cutter, peel-off; others keep the printer's.
char PrintMode(int mode) {
    switch (mode) {
        case 1:
            return 'T';
        case 2:
            return 'C';
        case 3:
            return 'P';
        default:
            return 0;
    }
}

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}
}  // namespace

void CPrinterZPL::AppendSetup(std::string& page) const {
    AppendCommand(page, "^PW", std::to_string(image.GetWidth()));
    AppendCommand(page, "^LL", std::to_string(image.GetHeight()));
    AppendCommand(page, "^LH", "0,0");
    AppendCommand(page, "^MN", std::string(1, MediaTracking(reg.iGap[0])));
    if (reg.iPrinttype == 0 || reg.iPrinttype == 1)
        AppendCommand(page, "^MT", reg.iPrinttype ? "T" : "D");
    if (reg.iDensity >= 0) AppendCommand(page, "~SD", TwoDigits(std::min(reg.iDensity, 30)));
    if (reg.iSpeed > 0) AppendCommand(page, "^PR", std::to_string(std::min(reg.iSpeed, 14)));
    if (char mode = PrintMode(reg.iPeelCutMode)) AppendCommand(page, "^MM", std::string(1, mode));
}

// The image holds set bits as dots after Negative(); its rows are padded to
// whole words, the field takes whole bytes.
bool CPrinterZPL::AppendGraphic(std::string& page) {
    const uint32_t rowBytes = (image.GetWidth() + 7) / 8, height = image.GetHeight();
    const size_t stride = image.GetEffWidth();
    const uint8_t* bits = image.GetBits(0);
    const std::string total = std::to_string(size_t{rowBytes} * height);
    page += "^FO0,0^GFA," + total + "," + total + "," + std::to_string(rowBytes) + ",";
    if (!halftone.ImageCompress) {
        AppendZplHex(page, bits, stride, rowBytes, height);
    } else {
        std::vector<uint8_t> packed(size_t{rowBytes} * height);
        for (uint32_t y = 0; y < height; y++)
            std::copy_n(bits + y * stride, rowBytes, packed.begin() + y * rowBytes);
        if (!AppendZplZ64(page, packed.data(), packed.size())) return false;
    }
    page += "^FS\n";
    return true;
}

void CPrinterZPL::OnPaintBmp() {
    if (!image.GetBits(0) || image.GetWidth() == 0) return;
    Negative();
    try {
        std::string page = "^XA\n";
        AppendSetup(page);
        if (!AppendGraphic(page)) {
            AddLog("ZPL: compression failed, page dropped");
            return;
        }
        page += "^PQ1\n^XZ\n";
        WriteSpool(page.data(), static_cast<int>(page.size()));
    } catch (const std::bad_alloc&) {
        AddLog("ZPL: out of memory, page dropped");
    }
}

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "render/BaseRender.h"

// Phomemo mini and label printers: ESC/POS-style raster. Every page is a
// print of its own: a header, the page as GS v 0 blocks of at most
// kMaxBlockRows rows, each row as wide as the page in whole bytes, and a
// trailer. The M02 class (M02, M02S, T02 receipts) starts with ESC @,
// centring and the vendor heat setting, and ends with two ESC d 2 and the
// battery, timer, firmware and serial queries. The label printers (M110,
// M120, M220) start with speed, density and media type and end with the
// two 1F F0 feeds. One WriteSpool per page.
class CPrinterPhomemo : public CBaseRender {
public:
    static constexpr uint32_t kMaxBlockRows = 255;
    static constexpr uint32_t kMaxRowBytes = 0xFFFF;  // wL wH

    void OnPaintBmp() override;

    // Whether the driver's or PPD's model name is of the M02 class.
    static bool IsReceiptModel(std::string_view modelName);
    uint8_t Speed() const;
    uint8_t Density() const;
    uint8_t MediaType() const;

private:
    void AppendLabelHeader(std::string& out) const;
    void AppendBlocks(std::string& out) const;
};

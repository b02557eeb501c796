#pragma once

#include <string>

#include "render/BaseRender.h"

// EPL2 label printers: per page the image buffer is cleared (N), width,
// label length and media, density, speed and the cutter set, the page's
// inked rows sent as GW bands of at most 255 rows, and P1 prints it. One
// WriteSpool per page.
class CPrinterEPL : public CBaseRender {
public:
    void OnPaintBmp() override;

private:
    void AppendSetup(std::string& page) const;
    void AppendBands(std::string& page) const;
    std::string LabelLength() const;
};

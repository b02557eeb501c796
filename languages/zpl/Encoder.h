#pragma once

#include <string>

#include "render/BaseRender.h"

// ZPL II label printers: every page becomes one label format, ^XA to ^XZ,
// with the media settings and the page as a single ^GFA graphic field, hex
// with run-length compression or Z64 (ImageCompress). Written with one
// WriteSpool, so a cancelled job never leaves half a format.
class CPrinterZPL : public CBaseRender {
public:
    void OnPaintBmp() override;

private:
    void AppendSetup(std::string& page) const;
    bool AppendGraphic(std::string& page);
};

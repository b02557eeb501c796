#pragma once

#include <cstdint>
#include <string>

#include "languages/brother-ql/BrotherQlMedia.h"
#include "render/BaseRender.h"

// Brother QL raster printers (300 dpi, 720-pin head). The job starts with an
// invalidate run and ESC @; every page sets raster mode, the print
// information (medium, line count), the cut and resolution modes, the
// margin and the compression, then sends one `g` command per line: the
// page mirrored and placed on the head where the medium lies. FF separates
// pages and Ctrl-Z ends the last one. One WriteSpool per page.
class CPrinterBrotherQL : public CBaseRender {
public:
    void OnPaintBmp() override;
    void OnDestroy() override;

private:
    struct PageLayout {
        const QlMedia* media = nullptr;
        int offsetX = 0;  // page column printed at the medium's left edge
        int offsetY = 0;  // page row printed as the first line
        uint32_t lines = 0;
        bool highResolution = false;
    };

    PageLayout LayOut() const;
    void AppendSetup(std::string& out, const PageLayout& page) const;
    void AppendLines(std::string& out, const PageLayout& page) const;
    void FillLine(uint8_t* line, const PageLayout& page, int row) const;

    int pagesSent = 0;
};

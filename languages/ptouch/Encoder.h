#pragma once

#include <cstdint>
#include <string>

#include "languages/ptouch/PtouchTape.h"
#include "render/BaseRender.h"

// Brother P-touch tape printers (180 dpi, 128-pin head). The job starts with
// an invalidate run and ESC @; every page sets raster mode, the print
// information (tape width, line count), auto cut and chain printing, the
// margin and the compression, then sends each line across the tape as one
// `g` command, or `Z` when it is white. FF separates pages and Ctrl-Z ends
// the last one. One WriteSpool per page.
class CPrinterPtouch : public CBaseRender {
public:
    void OnPaintBmp() override;
    void OnDestroy() override;

private:
    struct PageLayout {
        const PtouchTape* tape = nullptr;
        int offsetX = 0;  // page column printed by the tape's first printed pin
        uint32_t lines = 0;
    };

    PageLayout LayOut() const;
    void AppendSetup(std::string& out, const PageLayout& page) const;
    void AppendLines(std::string& out, const PageLayout& page) const;
    bool FillLine(uint8_t* line, const PageLayout& page, uint32_t row) const;

    int pagesSent = 0;
};

#pragma once

#include <cstdint>
#include <string>

#include "render/BaseRender.h"

// DYMO LabelWriter printers (300 dpi; 672-dot head, 1248 on the 4XL). The
// job starts with ESC @; every label sets its place on the head (ESC B,
// ESC D), its length (ESC L), the resolution and the density, then sends
// each dot line as SYN + bytes or, when shorter, ETB + runs, and runs of
// white lines as ESC f feeds. ESC G goes between labels, ESC E after the
// last. One WriteSpool per label.
class CPrinterDymo : public CBaseRender {
public:
    void OnPaintBmp() override;
    void OnDestroy() override;

private:
    struct PageLayout {
        int headBytes = 0;
        int offsetX = 0;    // page column printed as the line's first dot
        int lineBytes = 0;  // D: bytes of every line
        bool highResolution = false;
    };

    PageLayout LayOut() const;
    void AppendSetup(std::string& out, const PageLayout& page) const;
    void AppendLines(std::string& out, const PageLayout& page) const;
    void FillLine(uint8_t* line, const PageLayout& page, uint32_t row) const;

    int pagesSent = 0;
};

// A dot line of `bytes` bytes (set bit = black) as ETB runs: each byte is
// bit 7 the colour and bits 0-6 the run length - 1; the runs cover exactly
// bytes * 8 dots.
void AppendDymoRuns(std::string& out, const uint8_t* line, size_t bytes);

#pragma once

#include "printers/MyBuffer.h"
#include "languages/escpos/Encoder.h"

// PeriPage mini printers: ESC/POS with vendor commands for media, density,
// cut line and end of print, and an optional deflate-compressed bitmap in
// place of GS v 0. Nothing is written at document start or end.
class CPrinterPeriPage : public CPrinterESCPOS {
public:
    void OnInit() override {}
    void OnDestroy() override {}
    void OnPaintBmp() override;

    void cmdInit() override;
    void PrintBMP(int xDpi, int yDpi, int rowBytes, int rows, const void* data,
                  int length) override;
    void cmdEndPrint() override;

    void cmdDENSITY(int d);
    void cmdCutLine();

private:
    // Widest row the printer takes in compressed form.
    int CompressedRowLimit() const { return iDpi <= 203 ? 208 : 312; }
    void PrintCompressed(int rowBytes, int rows, const void* data, int length);
};

#pragma once

#include "filter/MyBuffer.h"
#include "printers/PrinterESCPOS.h"

// Placeholder encoder: runs every hook and prints nothing yet.
class CPrinterPeriPage : public CPrinterESCPOS {
public:
    void OnPaintBmp() override;
};

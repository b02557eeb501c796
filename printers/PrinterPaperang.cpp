#include "printers/PrinterPaperang.h"

void CPrinterPaperang::OnPaintBmp() {}

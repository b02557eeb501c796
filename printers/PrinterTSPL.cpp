#include "printers/PrinterTSPL.h"

void CPrinterTSPL::OnPaintBmp() {}

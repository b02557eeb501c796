#include "printers/PrinterESCPOS.h"

void CPrinterESCPOS::OnPaintBmp() {}

#include "printers/PrinterCPCL.h"

void CPrinterCPCL::OnPaintBmp() {}

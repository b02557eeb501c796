#include "printers/PrinterPeriPage.h"

void CPrinterPeriPage::OnPaintBmp() {}

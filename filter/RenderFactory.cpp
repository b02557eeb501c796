#include "filter/RenderFactory.h"

#include "printers/PrinterCPCL.h"
#include "printers/PrinterEPL.h"
#include "printers/PrinterESCPOS.h"
#include "printers/PrinterPaperang.h"
#include "printers/PrinterPeriPage.h"
#include "printers/PrinterTSPL.h"
#include "printers/PrinterZPL.h"
#include "render/CupsRender.h"

CBaseRender* CreateRender(int modelNumber) {
    switch (modelNumber) {
        case 20:
            return new CCupsRender<CPrinterTSPL>();
        case 21:
            return new CCupsRender<CPrinterESCPOS>();
        case 22:
            return new CCupsRender<CPrinterCPCL>();
        case 23:
            return new CCupsRender<CPrinterPaperang>();
        case 24:
            return new CCupsRender<CPrinterPeriPage>();
        case 25:
            return new CCupsRender<CPrinterZPL>();
        case 26:
            return new CCupsRender<CPrinterEPL>();
        default:
            return nullptr;
    }
}

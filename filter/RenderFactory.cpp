#include "filter/RenderFactory.h"

#include "printers/PrinterCPCL.h"
#include "printers/PrinterESCPOS.h"
#include "printers/PrinterPaperang.h"
#include "printers/PrinterPeriPage.h"
#include "printers/PrinterTSPL.h"
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
        default:
            return nullptr;
    }
}

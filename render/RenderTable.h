#pragma once

#include "printers/PrinterBrotherQL.h"
#include "printers/PrinterCPCL.h"
#include "printers/PrinterDymo.h"
#include "printers/PrinterEPL.h"
#include "printers/PrinterESCPOS.h"
#include "printers/PrinterPaperang.h"
#include "printers/PrinterPeriPage.h"
#include "printers/PrinterTSPL.h"
#include "printers/PrinterZPL.h"
#include "render/BaseRender.h"

// The table of printer languages by model number. Binding<T> is a front
// end's render for encoder T (where its bytes go, where its settings come
// from); the result has reference count 1, or is null when the number
// selects no printer language.
template <template <class> class Binding>
CBaseRender* CreateRenderFor(int modelNumber) {
    switch (modelNumber) {
        case 20:
            return new Binding<CPrinterTSPL>();
        case 21:
            return new Binding<CPrinterESCPOS>();
        case 22:
            return new Binding<CPrinterCPCL>();
        case 23:
            return new Binding<CPrinterPaperang>();
        case 24:
            return new Binding<CPrinterPeriPage>();
        case 25:
            return new Binding<CPrinterZPL>();
        case 26:
            return new Binding<CPrinterEPL>();
        case 27:
            return new Binding<CPrinterBrotherQL>();
        case 28:
            return new Binding<CPrinterDymo>();
        default:
            return nullptr;
    }
}

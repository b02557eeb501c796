#pragma once

#include "printers/MyBuffer.h"
#include "render/BaseRender.h"

// CPCL label printers: a label header, the page width, the page as one CG
// graphic, FORM for gap or mark media, and PRINT. Each command is written
// as soon as it is built.
class CPrinterCPCL : public CBaseRender {
public:
    void OnPaintBmp() override;

    void cmdBegin();
    void cmdPageWidth();
    void cmdCG();
    void cmdFORM();
    void cmdPrint();

private:
    void Send(CMyBuffer& cmd);
};

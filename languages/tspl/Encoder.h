#pragma once

#include "printers/MyBuffer.h"
#include "render/BaseRender.h"

// TSPL label printers: every page becomes one block of setting lines, CLS,
// one BITMAP (raw or zlib) and PRINT 1,1, written with a single WriteSpool.
class CPrinterTSPL : public CBaseRender {
public:
    void OnPaintBmp() override;

    // Length commands; unit 1 writes " mm" after each number, 2 " dot",
    // anything else nothing.
    void cmdSIZE(double w, double h, int unit);
    void cmdGAP(int a, int b, int unit);
    void cmdBLINE(int a, int b, int unit);
    void cmdOFFSET(int n, int unit);
    // x and y in millimetres, written in dots.
    void cmdREFERENCE(int x, int y);
    void cmdDENSITY(int d);
    void cmdSPEED(int s);

    void cmdSetRibbon(bool on);
    void cmdSetPeel(bool on);
    void cmdSetTear(bool on);
    void cmdSetCutter(int mode, int n);
    void cmdSetPartialCutter(int mode, int n);
    void setcAutoDotted(bool on);
    void setcPauseKey(bool on);
    void setcWaterMark(bool on);

    void cmdCLS();
    void cmdBITMAP(int x, int y, int widthBytes, int height, const void* data, int length);
    void cmdPRINT(int sets, int copies);

    CMyBuffer pageBuffer;

private:
    void SetPeelAndCutter();
    void SetMediaSensing();
    void AppendLine(CMyBuffer& cmd);
    void AppendPair(const char* name, int a, int b, int unit);
    void AppendSwitch(const char* name, bool on, const char* onWord, const char* offWord);
    bool ReserveBitmap(int headLength, int dataLength);

    // Set when the page's bitmap could not be placed in pageBuffer; such a
    // page is dropped rather than sent with a truncated BITMAP.
    bool bBitmapLost = false;
};

#include "languages/tspl/Encoder.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "image/DotLength.h"

namespace {
const char* UnitSuffix(int unit) {
    switch (unit) {
        case 1:
            return " mm";
        case 2:
            return " dot";
        default:
            return "";
    }
}

// Room kept after the bitmap for its CRLF and the PRINT line.
constexpr int kTailRoom = 64;
}  // namespace

void CPrinterTSPL::AppendLine(CMyBuffer& cmd) {
    cmd.AddStringA("\r\n");
    pageBuffer.AddBuffer(cmd.GetBuffer(), cmd.GetBufferLength());
}

void CPrinterTSPL::AppendPair(const char* name, int a, int b, int unit) {
    CMyBuffer cmd;
    cmd.AddStringA(name);
    cmd.AddInt(a);
    cmd.AddStringA(UnitSuffix(unit));
    cmd.AddStringA(",");
    cmd.AddInt(b);
    cmd.AddStringA(UnitSuffix(unit));
    AppendLine(cmd);
}

void CPrinterTSPL::AppendSwitch(const char* name, bool on, const char* onWord,
                                const char* offWord) {
    CMyBuffer cmd;
    cmd.AddStringA(name);
    cmd.AddStringA(on ? onWord : offWord);
    AppendLine(cmd);
}

void CPrinterTSPL::cmdSIZE(double w, double h, int unit) {
    // Large enough for "%.2lf" of any double, infinities and NaN included.
    char text[512];
    CMyBuffer cmd;
    cmd.AddStringA("SIZE ");
    std::snprintf(text, sizeof text, "%.2lf", w);
    cmd.AddStringA(text);
    cmd.AddStringA(UnitSuffix(unit));
    cmd.AddStringA(",");
    std::snprintf(text, sizeof text, "%.2lf", h);
    cmd.AddStringA(text);
    cmd.AddStringA(UnitSuffix(unit));
    AppendLine(cmd);
}

void CPrinterTSPL::cmdGAP(int a, int b, int unit) {
    AppendPair("GAP ", a, b, unit);
}

void CPrinterTSPL::cmdBLINE(int a, int b, int unit) {
    AppendPair("BLINE ", a, b, unit);
}

void CPrinterTSPL::cmdOFFSET(int n, int unit) {
    CMyBuffer cmd;
    cmd.AddStringA("OFFSET ");
    cmd.AddInt(n);
    cmd.AddStringA(UnitSuffix(unit));
    AppendLine(cmd);
}

void CPrinterTSPL::cmdREFERENCE(int x, int y) {
    CMyBuffer cmd;
    cmd.AddStringA("REFERENCE ");
    cmd.AddInt(MmToDots(iDpi, x, DotRounding::Down));
    cmd.AddStringA(",");
    cmd.AddInt(MmToDots(iDpi, y, DotRounding::Down));
    AppendLine(cmd);
}

void CPrinterTSPL::cmdDENSITY(int d) {
    if (d < 0) return;
    CMyBuffer cmd;
    cmd.AddStringA("DENSITY ");
    cmd.AddInt(d);
    AppendLine(cmd);
}

void CPrinterTSPL::cmdSPEED(int s) {
    if (s < 0) return;
    if (s == 0 || s > 12) s = 4;
    CMyBuffer cmd;
    cmd.AddStringA("SPEED ");
    cmd.AddInt(s);
    AppendLine(cmd);
}

void CPrinterTSPL::cmdSetRibbon(bool on) {
    AppendSwitch("SET RIBBON ", on, "ON", "OFF");
}

void CPrinterTSPL::cmdSetPeel(bool on) {
    AppendSwitch("SET PEEL ", on, "ON", "OFF");
}

void CPrinterTSPL::cmdSetTear(bool on) {
    AppendSwitch("SET TEAR ", on, "ON", "OFF");
}

void CPrinterTSPL::cmdSetCutter(int mode, int n) {
    CMyBuffer cmd;
    cmd.AddStringA("SET CUTTER ");
    if (mode == 0)
        cmd.AddStringA("FALSE");
    else if (mode == 1)
        cmd.AddStringA("BATCH");
    else
        cmd.AddInt(n);
    AppendLine(cmd);
}

void CPrinterTSPL::cmdSetPartialCutter(int mode, int n) {
    CMyBuffer cmd;
    cmd.AddStringA("SET PARTIAL_CUTTER ");
    if (mode == 0)
        cmd.AddStringA("OFF");
    else if (mode == 1)
        cmd.AddStringA("BATCH");
    else
        cmd.AddInt(n);
    AppendLine(cmd);
}

void CPrinterTSPL::setcAutoDotted(bool on) {
    AppendSwitch("SETC AUTODOTTED ", on, "ON", "OFF");
}

void CPrinterTSPL::setcPauseKey(bool on) {
    AppendSwitch("SETC PAUSEKEY ", on, "ON", "OFF");
}

void CPrinterTSPL::setcWaterMark(bool on) {
    AppendSwitch("SETC WATERMARK ", on, "ON", "OFF");
}

void CPrinterTSPL::cmdCLS() {
    CMyBuffer cmd;
    cmd.AddStringA("CLS");
    AppendLine(cmd);
}

void CPrinterTSPL::cmdPRINT(int sets, int copies) {
    CMyBuffer cmd;
    cmd.AddStringA("PRINT ");
    cmd.AddInt(sets);
    cmd.AddStringA(",");
    cmd.AddInt(copies);
    AppendLine(cmd);
}

// Sizes pageBuffer for the BITMAP head, its data and the rest of the page, so
// that a large page neither reallocates per command nor trips the buffer's
// maximum (which would silently drop the lines before it).
bool CPrinterTSPL::ReserveBitmap(int headLength, int dataLength) {
    long long needed =
        static_cast<long long>(pageBuffer.GetBufferLength()) + headLength + dataLength + kTailRoom;
    if (needed > 0x7FFFFFFF) return false;
    pageBuffer.SetBufferSize(static_cast<int>(needed));
    return pageBuffer.GetBufferCapacity() >= needed;
}

void CPrinterTSPL::cmdBITMAP(int x, int y, int widthBytes, int height, const void* data,
                             int length) {
    if (length < 0) length = 0;
    CMyBuffer head;
    head.AddStringA("BITMAP ");
    head.AddInt(x);
    head.AddStringA(",");
    head.AddInt(y);
    head.AddStringA(",");
    head.AddInt(widthBytes);
    head.AddStringA(",");
    head.AddInt(height);
    head.AddStringA(",");

    const void* payload = data;
    int payloadLength = length;
    std::unique_ptr<Bytef, decltype(&std::free)> packed(nullptr, &std::free);
    if (!halftone.ImageCompress) {
        head.AddStringA("1,");
    } else {
        // The printer takes set bits as dots in the compressed form.
        Negative();
        uLong bound = compressBound(static_cast<uLong>(length));
        packed.reset(static_cast<Bytef*>(std::malloc(bound)));
        uLongf packedLength = bound;
        if (!packed || !data ||
            compress(packed.get(), &packedLength, static_cast<const Bytef*>(data),
                     static_cast<uLong>(length)) != Z_OK) {
            AddLog("BITMAP: compression failed");
            packedLength = 0;
        }
        payload = packed.get();
        payloadLength = static_cast<int>(packedLength);
        head.AddStringA("3,");
        head.AddInt(payloadLength);
        head.AddStringA(",");
    }

    if (!ReserveBitmap(head.GetBufferLength(), payloadLength)) {
        AddLog("BITMAP: out of memory for %d bytes", payloadLength);
        bBitmapLost = true;
        return;
    }
    pageBuffer.AddBuffer(head.GetBuffer(), head.GetBufferLength());
    pageBuffer.AddBuffer(payload, payloadLength);
    pageBuffer.AddStringA("\r\n");
}

void CPrinterTSPL::SetPeelAndCutter() {
    bool peel = false, tear = false;
    int cutter = 0, partial = 0;
    switch (reg.iPeelCutMode) {
        case 1:
            tear = true;
            break;
        case 2:
            cutter = 2;
            break;
        case 3:
            peel = true;
            break;
        case 4:
            partial = 2;
            break;
        default:
            return;
    }
    cmdSetPeel(peel);
    cmdSetCutter(cutter, cutter ? 1 : 0);
    cmdSetPartialCutter(partial, partial ? 1 : 0);
    cmdSetTear(tear);
}

void CPrinterTSPL::SetMediaSensing() {
    switch (reg.iGap[0]) {
        case 0:
            cmdGAP(0, 0, 1);
            break;
        case 1:
            cmdGAP(reg.iGap[1], reg.iGap[2], 1);
            break;
        case 2:
            cmdBLINE(reg.iGap[1], reg.iGap[2], 1);
            break;
        default:
            break;
    }
}

void CPrinterTSPL::OnPaintBmp() {
    AddLog("OnPaintBmp");
    pageBuffer.InitBuffer(0);
    bBitmapLost = false;

    const double dotsPerMm = iDpi / 25.4;
    cmdSIZE(image.GetWidth() / dotsPerMm, image.GetHeight() / dotsPerMm, 1);
    if (reg.iPrinttype == 0 || reg.iPrinttype == 1) cmdSetRibbon(reg.iPrinttype == 1);
    SetPeelAndCutter();
    cmdREFERENCE(reg.iReference[0], reg.iReference[1]);
    SetMediaSensing();
    cmdOFFSET(reg.iOffset, 1);
    cmdDENSITY(reg.iDensity);
    cmdSPEED(reg.iSpeed);
    setcAutoDotted(reg.iDottedline != 0);
    setcPauseKey(reg.iPauseKey != 0);
    setcWaterMark(reg.iWaterMark != 0);
    cmdCLS();

    // The image never exceeds 256 MiB, so the page size fits an int.
    const int widthBytes = static_cast<int>(image.GetEffWidth());
    const int height = static_cast<int>(image.GetHeight());
    const uint8_t* bits = image.GetBits(0);
    const int length = bits ? widthBytes * height : 0;
    cmdBITMAP(0, 0, widthBytes, height, bits, length);
    cmdPRINT(1, 1);

    if (!bBitmapLost) WriteSpool(pageBuffer.GetBuffer(), pageBuffer.GetBufferLength());
    pageBuffer.InitBuffer(0);
}

#include "languages/cpcl/Encoder.h"

#include <cstdint>

void CPrinterCPCL::Send(CMyBuffer& cmd) {
    cmd.AddStringA("\r\n");
    WriteSpool(cmd.GetBuffer(), cmd.GetBufferLength());
}

void CPrinterCPCL::cmdBegin() {
    // The offset is eight times the setting, wrapped to 32 bits for absurd values.
    const int offset = static_cast<int>(static_cast<uint32_t>(reg.iReference[0]) * 8u);
    CMyBuffer cmd;
    cmd.AddStringA("! ");
    cmd.AddInt(offset);
    cmd.AddStringA(" 200 200 ");
    cmd.AddInt(static_cast<int>(image.GetHeight()));
    cmd.AddStringA(" 1");
    Send(cmd);
}

void CPrinterCPCL::cmdPageWidth() {
    CMyBuffer cmd;
    cmd.AddStringA("PAGE-WIDTH ");
    cmd.AddInt(static_cast<int>(image.GetWidth()));
    Send(cmd);
}

void CPrinterCPCL::cmdCG() {
    // The image never exceeds 256 MiB, so the page size fits an int.
    const int widthBytes = static_cast<int>(image.GetEffWidth());
    const int height = static_cast<int>(image.GetHeight());
    CMyBuffer cmd;
    cmd.AddStringA("CG ");
    cmd.AddInt(widthBytes);
    cmd.AddStringA(" ");
    cmd.AddInt(height);
    cmd.AddStringA(" 0 0");
    Send(cmd);
    const uint8_t* bits = image.GetBits(0);
    if (bits) WriteSpool(bits, widthBytes * height);
}

void CPrinterCPCL::cmdFORM() {
    if (reg.iGap[0] != 1 && reg.iGap[0] != 2) return;
    CMyBuffer cmd;
    cmd.AddStringA("FORM");
    Send(cmd);
}

void CPrinterCPCL::cmdPrint() {
    CMyBuffer cmd;
    cmd.AddStringA("PRINT");
    Send(cmd);
}

void CPrinterCPCL::OnPaintBmp() {
    // The printer takes set bits as dots; the row filler becomes 0.
    Negative();
    cmdBegin();
    cmdPageWidth();
    cmdCG();
    cmdFORM();
    cmdPrint();
}

#include "tools/sim/StatusAnswers.h"

#include <cstdio>

#include "languages/cat/CatPacket.h"

namespace {

std::string HexByte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// ESC/POS real-time status: bits 1 and 4 are always set. n = 1 printer
// (bit 3 offline), 2 offline cause (bit 2 cover open, bit 5 paper end),
// 3 error cause (none here), 4 roll paper sensor (bits 5 and 6 paper end).
uint8_t EscPosStatus(uint8_t n, const tagPrinterStatus& s) {
    uint8_t v = 0x12;
    if (n == 1 && (s.paperOut || s.coverOpen)) v |= 0x08;
    if (n == 2 && s.coverOpen) v |= 0x04;
    if (n == 2 && s.paperOut) v |= 0x20;
    if (n == 4 && s.paperOut) v |= 0x60;
    return v;
}

// TSPL ESC ! ?: 0 when ready; bit 0 head open, bit 2 out of paper.
uint8_t TsplStatus(const tagPrinterStatus& s) {
    return static_cast<uint8_t>((s.coverOpen ? 0x01 : 0) | (s.paperOut ? 0x04 : 0));
}

// ZPL ~HS: three STX ... ETX CR LF lines. Line 1 field 2 is paper out,
// line 2 field 3 head up; the other fields are those of an idle printer in
// tear-off mode.
std::string ZplStatus(const tagPrinterStatus& s, std::string& shown) {
    const char* paper = s.paperOut ? "1" : "0";
    const char* head = s.coverOpen ? "1" : "0";
    shown = std::string("paper out ") + paper + ", head up " + head;
    return std::string(
               "\x02"
               "030,") +
           paper + ",0,1218,000,0,0,0,000,0,0,0\x03\r\n" +
           "\x02"
           "001,0," +
           head + ",0,0,2,6,0,00000000,1,000\x03\r\n" +
           "\x02"
           "1234,0\x03\r\n";
}

// Brother QL ESC i S: 32 bytes, 0x80 first; byte 8 bit 1 end of media,
// byte 9 bit 4 cover open; byte 18 says whether an error is reported.
std::string QlStatus(const tagPrinterStatus& s, std::string& shown) {
    std::string reply(32, '\0');
    reply[0] = '\x80';
    reply[1] = 0x20;
    reply[8] = s.paperOut ? 0x02 : 0;
    reply[9] = s.coverOpen ? 0x10 : 0;
    reply[18] = s.paperOut || s.coverOpen ? 0x02 : 0;
    shown = "error 1 " + HexByte(uint8_t(reply[8])) + ", error 2 " + HexByte(uint8_t(reply[9]));
    return reply;
}

// DYMO ESC A: one byte, bit 1 top of form, bit 5 paper out. The printer has
// no cover sensor of its own: an open lid shows as no paper.
uint8_t DymoStatus(const tagPrinterStatus& s) {
    return static_cast<uint8_t>(0x02 | (s.paperOut || s.coverOpen ? 0x20 : 0));
}

// Cat printer A3: an A3 packet from the printer with the status byte, bit 0
// no paper, bit 1 cover open, bit 2 head too hot, bit 3 battery low.
std::string CatStatus(const tagPrinterStatus& s, std::string& shown) {
    const uint8_t status = static_cast<uint8_t>(
        (s.paperOut ? cat::kNoPaper : 0) | (s.coverOpen ? cat::kCoverOpen : 0) |
        (s.headHot ? cat::kTooHot : 0) | (s.batteryLow ? cat::kBatteryLow : 0));
    std::string reply;
    cat::AppendPacket(reply, cat::kStatus, std::span<const uint8_t>(&status, 1), cat::kFromPrinter);
    shown = HexByte(status);
    return reply;
}

}  // namespace

std::string StatusReply(const tagQuery& query, const tagPrinterStatus& status, std::string& shown) {
    uint8_t byte = 0;
    switch (query.bytes[0]) {
        case 0x10:
            byte = EscPosStatus(query.bytes[2], status);
            break;
        case cat::kStart0:
            return CatStatus(status, shown);
        case 0x1B:
            if (query.bytes[1] == 'i') return QlStatus(status, shown);
            byte = query.bytes[1] == 'A' ? DymoStatus(status) : TsplStatus(status);
            break;
        default:
            return ZplStatus(status, shown);
    }
    shown = HexByte(byte);
    return std::string(1, static_cast<char>(byte));
}

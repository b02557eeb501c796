#include "tools/sim/LanguageAnswers.h"

namespace {
// *check*: the tape the simulated printer holds: 24 mm laminated.
constexpr uint8_t kLoadedWidth = 0x18, kLaminated = 0x01;

std::vector<tagQuery> Queries() {
    return {{{0x1B, 'i', 'S'}, "ESC i S", true}};
}

// ESC i S: 32 bytes, 0x80 ' ' 'B' '0' first; byte 8 bit 0 no tape, byte 9
// bit 4 cover open and bit 5 overheating; bytes 10 and 11 the tape's width
// and type (none without tape); byte 18 says whether an error is reported.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    std::string reply(32, '\0');
    reply[0] = '\x80';
    reply[1] = 0x20;
    reply[2] = 'B';
    reply[3] = '0';
    reply[5] = '0';
    reply[8] = static_cast<char>((s.paperOut ? 0x01 : 0) | (s.batteryLow ? 0x08 : 0));
    reply[9] = static_cast<char>((s.coverOpen ? 0x10 : 0) | (s.headHot ? 0x20 : 0));
    reply[10] = static_cast<char>(s.paperOut ? 0 : kLoadedWidth);
    reply[11] = static_cast<char>(s.paperOut ? 0 : kLaminated);
    reply[18] = s.paperOut || s.coverOpen || s.headHot ? 0x02 : 0;
    shown = "error 1 " + HexByte(uint8_t(reply[8])) + ", error 2 " + HexByte(uint8_t(reply[9])) +
            ", tape " + HexByte(uint8_t(reply[10]));
    return reply;
}
}  // namespace

const tagStatusAnswers kPtouchSimAnswers{PreviewLanguage::Ptouch, Queries, Reply};

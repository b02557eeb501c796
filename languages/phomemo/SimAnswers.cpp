#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x1F, 0x11, 0x08}, "1F 11 08 battery", true},
            {{0x1F, 0x11, 0x11}, "1F 11 11 paper", true},
            {{0x1F, 0x11, 0x12}, "1F 11 12 lid", true},
            {{0x1F, 0x11, 0x0E}, "1F 11 0E timer", true},
            {{0x1F, 0x11, 0x07}, "1F 11 07 firmware", true},
            {{0x1F, 0x11, 0x09}, "1F 11 09 serial", true}};
}

// Answers `1A tt ...` as an M02 sent them: battery 90 % (coded A2, 5 %,
// when low), paper 89 in / 88 out, lid 98 closed / 99 open, timer 12
// minutes, firmware 1.0.0 and a serial number in ASCII.
std::string Reply(const tagQuery& q, const tagPrinterStatus& s, std::string& shown) {
    std::string body;
    switch (q.bytes[2]) {
        case 0x08:
            body = {0x04, static_cast<char>(s.batteryLow ? 0xA2 : 0x5A)};
            break;
        case 0x11:
            body = {0x06, static_cast<char>(s.paperOut ? 0x88 : 0x89)};
            break;
        case 0x12:
            body = {0x05, static_cast<char>(s.coverOpen ? 0x99 : 0x98)};
            break;
        case 0x0E:
            body = {0x09, 0x0C};
            break;
        case 0x07:
            body = {0x07, 0x01, 0x00, 0x00};
            break;
        default:
            body = std::string(1, 0x08) + "SIM0001";
    }
    const std::string reply = "\x1A" + body;
    shown.clear();
    for (char c : reply) shown += (shown.empty() ? "" : " ") + HexByte(static_cast<uint8_t>(c));
    return reply;
}
}  // namespace

const tagStatusAnswers kPhomemoSimAnswers{PreviewLanguage::Phomemo, Queries, Reply};

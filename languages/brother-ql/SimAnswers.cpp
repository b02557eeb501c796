#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x1B, 'i', 'S'}, "ESC i S", true}};
}

// ESC i S: 32 bytes, 0x80 first; byte 8 bit 1 end of media, byte 9 bit 4
// cover open; byte 18 says whether an error is reported.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    std::string reply(32, '\0');
    reply[0] = '\x80';
    reply[1] = 0x20;
    reply[8] = s.paperOut ? 0x02 : 0;
    reply[9] = s.coverOpen ? 0x10 : 0;
    reply[18] = s.paperOut || s.coverOpen ? 0x02 : 0;
    shown = "error 1 " + HexByte(uint8_t(reply[8])) + ", error 2 " + HexByte(uint8_t(reply[9]));
    return reply;
}
}  // namespace

const tagStatusAnswers kBrotherQlSimAnswers{PreviewLanguage::BrotherQL, Queries, Reply};

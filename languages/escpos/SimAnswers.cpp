#include "languages/escpos/SimAnswers.h"

#include "tools/sim/LanguageAnswers.h"

std::vector<tagQuery> DleEotQueries() {
    return {{{0x10, 0x04, 0x01}, "DLE EOT 1"},
            {{0x10, 0x04, 0x02}, "DLE EOT 2"},
            {{0x10, 0x04, 0x03}, "DLE EOT 3"},
            {{0x10, 0x04, 0x04}, "DLE EOT 4"}};
}

// Bits 1 and 4 are always set. n = 1 printer (bit 3 offline), 2 offline
// cause (bit 2 cover open, bit 5 paper end), 3 error cause (none here),
// 4 roll paper sensor (bits 5 and 6 paper end).
std::string DleEotReply(const tagQuery& query, const tagPrinterStatus& s, std::string& shown) {
    const uint8_t n = query.bytes[2];
    uint8_t v = 0x12;
    if (n == 1 && (s.paperOut || s.coverOpen)) v |= 0x08;
    if (n == 2 && s.coverOpen) v |= 0x04;
    if (n == 2 && s.paperOut) v |= 0x20;
    if (n == 4 && s.paperOut) v |= 0x60;
    return ByteReply(v, shown);
}

const tagStatusAnswers kEscPosSimAnswers{PreviewLanguage::ESCPOS, DleEotQueries, DleEotReply};

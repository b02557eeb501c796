#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x1B, 0x06, 0x01}, "ESC ACK SOH", true}};
}

// A 9-byte automatic status: header 1 0x23 (9 bytes), header 2 0x06
// (version 3), then status 1 (bit 5 cover open, bit 3 offline), status 2
// (bit 6 head too hot), status 3, status 4 (bit 3 paper end) and three
// bytes of sensors and counters, all clear.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    const bool offline = s.paperOut || s.coverOpen || s.headHot;
    const uint8_t status1 = static_cast<uint8_t>((s.coverOpen ? 0x20 : 0) | (offline ? 0x08 : 0));
    const uint8_t status2 = s.headHot ? 0x40 : 0;
    const uint8_t status4 = s.paperOut ? 0x08 : 0;
    const uint8_t block[] = {0x23, 0x06, status1, status2, 0x00, status4, 0x00, 0x00, 0x00};
    shown.clear();
    for (uint8_t b : block) shown += (shown.empty() ? "" : " ") + HexByte(b);
    return std::string(reinterpret_cast<const char*>(block), sizeof block);
}
}  // namespace

const tagStatusAnswers kStarSimAnswers{PreviewLanguage::Star, Queries, Reply};

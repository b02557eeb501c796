#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x1B, '!', '?'}, "ESC ! ?"}};
}

// ESC ! ?: 0 when ready; bit 0 head open, bit 2 out of paper.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    return ByteReply(static_cast<uint8_t>((s.coverOpen ? 0x01 : 0) | (s.paperOut ? 0x04 : 0)),
                     shown);
}
}  // namespace

const tagStatusAnswers kTsplSimAnswers{PreviewLanguage::TSPL, Queries, Reply};

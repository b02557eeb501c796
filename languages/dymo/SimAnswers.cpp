#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x1B, 'A'}, "ESC A", true}};
}

// ESC A: one byte, bit 1 top of form, bit 5 paper out. The printer has no
// cover sensor of its own: an open lid shows as no paper.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    return ByteReply(static_cast<uint8_t>(0x02 | (s.paperOut || s.coverOpen ? 0x20 : 0)), shown);
}
}  // namespace

const tagStatusAnswers kDymoSimAnswers{PreviewLanguage::Dymo, Queries, Reply};

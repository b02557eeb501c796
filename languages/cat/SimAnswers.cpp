#include "languages/cat/CatPacket.h"
#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{0x51, 0x78, 0xA3, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF}, "A3 status", true}};
}

// A3: an A3 packet from the printer with the status byte, bit 0 no paper,
// bit 1 cover open, bit 2 head too hot, bit 3 battery low.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    const uint8_t status = static_cast<uint8_t>(
        (s.paperOut ? cat::kNoPaper : 0) | (s.coverOpen ? cat::kCoverOpen : 0) |
        (s.headHot ? cat::kTooHot : 0) | (s.batteryLow ? cat::kBatteryLow : 0));
    std::string reply;
    cat::AppendPacket(reply, cat::kStatus, std::span<const uint8_t>(&status, 1), cat::kFromPrinter);
    shown = HexByte(status);
    return reply;
}
}  // namespace

const tagStatusAnswers kCatSimAnswers{PreviewLanguage::Cat, Queries, Reply};

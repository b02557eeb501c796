#include "languages/tspl/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// TSPL: ESC ! ?, one byte back, 0 = ready.
// Cover open and "other error" are bits 6 and 7 on the models documented;
// other models may differ.
constexpr uint8_t kTsplCoverOpenBit = 0x40;
constexpr uint8_t kTsplOtherErrorBit = 0x80;

bool TsplComplete(Reply reply) {
    return !reply.empty();
}

PrinterConditions ParseTspl(Reply reply) {
    PrinterConditions c;
    if (reply.empty()) return c;
    const uint8_t b = reply[0];
    c.answered = true;
    c.coverOpen = b & (0x01 | kTsplCoverOpenBit);
    c.mediaJam = b & 0x02;
    c.mediaEmpty = b & 0x04;
    c.ribbonOut = b & 0x08;
    c.offline = b & 0x10;
    c.otherError = b & kTsplOtherErrorBit;
    return c;
}

}  // namespace

const StatusExchange kTsplStatus{"TSPL", "\x1b!?", TsplComplete, ParseTspl};

#include "languages/brother-ql/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// Brother QL: ESC i S, 32 bytes back; byte 0 is 0x80. Byte 8 holds error
// information 1 (bit 0 no media, bit 1 end of media, bit 2 cutter jam,
// bits 6 and 7 power and fan faults), byte 9 error information 2 (bit 0
// replace media, bits 1 and 2 buffer and communication faults, bit 4 cover
// open, bit 6 media cannot be fed).
constexpr size_t kQlReplyBytes = 32, kQlError1 = 8, kQlError2 = 9;
constexpr uint8_t kQlReplyMark = 0x80;

bool QlComplete(Reply reply) {
    return reply.size() >= kQlReplyBytes;
}

PrinterConditions ParseQl(Reply reply) {
    PrinterConditions c;
    if (reply.size() < kQlReplyBytes || reply[0] != kQlReplyMark) return c;
    const uint8_t one = reply[kQlError1], two = reply[kQlError2];
    c.answered = true;
    c.mediaEmpty = one & 0x03;
    c.mediaJam = (one & 0x04) || (two & 0x40);
    c.coverOpen = two & 0x10;
    c.otherError = (one & 0xC0) || (two & 0x07);
    return c;
}

}  // namespace

const StatusExchange kBrotherQlStatus{"Brother QL", "\x1biS", QlComplete, ParseQl};

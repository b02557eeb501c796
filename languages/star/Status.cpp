#include "languages/star/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// Automatic status (ESC ACK SOH): header 1 gives the block's length in bits
// 1-3 (weights 1, 2, 4) and bit 5 (weight 8), with bit 0 set and bits 4 and
// 7 clear; header 2 the status version. Status bytes follow, bit set =
// condition present.
constexpr uint8_t kHeaderMask = 0x91, kHeaderBits = 0x01;
constexpr size_t kFewestBytes = 7;  // the headers and status bytes 1 to 5
constexpr size_t kStatus1 = 2, kStatus2 = 3, kStatus3 = 4, kStatus4 = 5;

bool IsHeader(uint8_t b) {
    return (b & kHeaderMask) == kHeaderBits;
}

size_t BlockLength(uint8_t header) {
    return static_cast<size_t>(((header >> 1) & 0x07) | ((header >> 2) & 0x08));
}

// Flow control bytes (XON, XOFF) may come before the block.
Reply SkipFlowControl(Reply reply) {
    size_t skip = 0;
    while (skip < reply.size() && (reply[skip] == 0x11 || reply[skip] == 0x13)) skip++;
    return reply.subspan(skip);
}

bool StarComplete(Reply reply) {
    reply = SkipFlowControl(reply);
    return !reply.empty() && (!IsHeader(reply[0]) || reply.size() >= BlockLength(reply[0]));
}

bool Set(uint8_t byte, int bit) {
    return (byte >> bit) & 1;
}

PrinterConditions ParseStar(Reply reply) {
    PrinterConditions c;
    reply = SkipFlowControl(reply);
    if (reply.empty() || !IsHeader(reply[0])) return c;
    const size_t length = BlockLength(reply[0]);
    if (length < kFewestBytes || reply.size() < length) return c;
    const uint8_t s1 = reply[kStatus1], s2 = reply[kStatus2], s3 = reply[kStatus3],
                  s4 = reply[kStatus4];
    c.answered = true;
    c.coverOpen = Set(s1, 5);
    c.overheated = Set(s2, 6);
    // Unrecoverable, auto-cutter and mechanical errors; buffer overflow,
    // black-mark error and head-up error.
    c.otherError = Set(s2, 5) || Set(s2, 3) || Set(s2, 2) || Set(s3, 6) || Set(s3, 3) || Set(s3, 1);
    c.mediaJam = Set(s3, 2);  // presenter jam
    c.mediaEmpty = Set(s4, 3);
    c.mediaLow = !c.mediaEmpty && (Set(s4, 2) || Set(s4, 1));
    // Cover open and paper end take the printer offline: offline alone is
    // shown only when nothing else explains it.
    c.offline = (Set(s1, 3) || Set(s1, 6)) && !c.coverOpen && !c.mediaEmpty && !c.overheated &&
                !c.otherError && !c.mediaJam;
    return c;
}
}  // namespace

const StatusExchange kStarStatus{"Star", "\x1b\x06\x01", StarComplete, ParseStar};

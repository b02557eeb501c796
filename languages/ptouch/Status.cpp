#include "languages/ptouch/PtouchTape.h"
#include "languages/ptouch/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// Brother P-touch: ESC i S, 32 bytes back, 0x80 and 'B' at bytes 0 and 2.
// Byte 8 holds error information 1 (bit 0 no tape, bit 1 end of tape, bit 2
// cutter jam, bit 3 weak batteries, bit 6 high-voltage adapter), byte 9
// error information 2 (bit 0 replace media: the tape is not the one the
// page asked for, bit 4 cover open, bit 5 overheating); bytes 10 and 11 the
// loaded tape's width code and type (0: no tape, 0xFF: a tape the printer
// cannot use).
constexpr size_t kReplyBytes = 32, kError1 = 8, kError2 = 9, kWidth = 10, kType = 11;
constexpr uint8_t kReplyMark = 0x80, kMakerMark = 'B', kIncompatible = 0xFF;

// *check*: the bits of error information 1 for weak batteries and the
// high-voltage adapter.
constexpr uint8_t kNoTape = 0x01, kTapeEnd = 0x02, kCutterJam = 0x04, kWeakBatteries = 0x08,
                  kHighVoltage = 0x40;
constexpr uint8_t kReplaceMedia = 0x01, kCoverOpen = 0x10, kOverheated = 0x20;

// The tape types as media-type keywords.
const char* TypeName(uint8_t type) {
    switch (type) {
        case 0x01:
            return "tape-laminated";
        case 0x03:
            return "tape-non-laminated";
        case 0x11:
            return "heat-shrink-tube";
        default:
            return "";
    }
}

bool Complete(Reply reply) {
    return reply.size() >= kReplyBytes;
}

PrinterConditions Parse(Reply reply) {
    PrinterConditions c;
    if (reply.size() < kReplyBytes || reply[0] != kReplyMark || reply[2] != kMakerMark) return c;
    const uint8_t one = reply[kError1], two = reply[kError2];
    const PtouchTape* tape = PtouchTapeOfCode(reply[kWidth]);
    c.answered = true;
    c.mediaEmpty = (one & (kNoTape | kTapeEnd)) || reply[kWidth] == 0 || reply[kType] == 0;
    c.mediaJam = one & kCutterJam;
    c.batteryLow = one & kWeakBatteries;
    c.otherError = one & kHighVoltage;
    c.mediaNeeded = (two & kReplaceMedia) || reply[kType] == kIncompatible;
    c.coverOpen = two & kCoverOpen;
    c.overheated = two & kOverheated;
    if (tape && !c.mediaEmpty) {
        c.loadedWidth = static_cast<int>(tape->widthMm * 100);
        c.loadedType = TypeName(reply[kType]);
    }
    return c;
}

}  // namespace

const StatusExchange kPtouchStatus{"Brother P-touch", "\x1biS", Complete, Parse};

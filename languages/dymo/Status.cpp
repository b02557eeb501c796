#include "languages/dymo/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// DYMO LabelWriter: ESC A, one byte back: bit 5 paper out, bit 6 paper jam,
// bit 7 general error (bit 0 busy and bit 1 top of form are no fault).
// The bits are from the maker's reference for the 450 series; other models
// may differ.
constexpr uint8_t kDymoPaperOut = 0x20, kDymoJam = 0x40, kDymoError = 0x80;

bool DymoComplete(Reply reply) {
    return !reply.empty();
}

PrinterConditions ParseDymo(Reply reply) {
    PrinterConditions c;
    if (reply.empty()) return c;
    c.answered = true;
    c.mediaEmpty = reply[0] & kDymoPaperOut;
    c.mediaJam = reply[0] & kDymoJam;
    c.otherError = reply[0] & kDymoError;
    return c;
}

}  // namespace

const StatusExchange kDymoStatus{"DYMO",
                                 "\x1b"
                                 "A",
                                 DymoComplete, ParseDymo};

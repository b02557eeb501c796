#include "languages/escpos/Status.h"

#include "languages/escpos/Row.h"

namespace {
// Every answer has bits 1 and 4 set and bits 0 and 7 clear.
constexpr size_t kDleEotReplies = 4;
constexpr uint8_t kDleEotFixedMask = 0x93;
constexpr uint8_t kDleEotFixedBits = 0x12;
}  // namespace

bool DleEotComplete(std::span<const uint8_t> reply) {
    return reply.size() >= kDleEotReplies;
}

PrinterConditions ParseDleEot(std::span<const uint8_t> reply) {
    PrinterConditions c;
    if (reply.size() < kDleEotReplies) return c;
    for (size_t i = 0; i < kDleEotReplies; i++)
        if ((reply[i] & kDleEotFixedMask) != kDleEotFixedBits) return c;
    const uint8_t printer = reply[0], offline = reply[1], error = reply[2], paper = reply[3];
    c.answered = true;
    c.coverOpen = offline & 0x04;
    c.mediaEmpty = (offline & 0x20) || (paper & 0x60);
    c.mediaLow = !c.mediaEmpty && (paper & 0x0C);
    c.overheated = error & 0x40;  // auto-recoverable: the head cooling down
    // The offline cause's error bit is explained by the error cause when
    // that names one.
    c.otherError = (error & 0x28) || ((offline & 0x40) && !c.overheated);
    // Cover open and paper end take the printer offline: offline alone is
    // shown only when nothing else explains it.
    c.offline = (printer & 0x28) && !c.coverOpen && !c.mediaEmpty && !c.otherError && !c.overheated;
    return c;
}

const StatusExchange kEscPosStatus{"ESC/POS", kDleEotQuery, DleEotComplete, ParseDleEot};

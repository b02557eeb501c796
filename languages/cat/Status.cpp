#include "languages/cat/CatPacket.h"
#include "languages/cat/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// Cat printers: the A3 query, answered by an A3 packet from the printer whose
// first data byte holds bit 0 no paper, bit 1 cover open, bit 2 head too hot,
// bit 3 battery low. Flow-control packets and stray bytes are skipped; a
// garbled answer counts as none. Every print carries the query too, so
// answers the job's pages asked for come first: the last answer counts.
constexpr char kCatQuery[] = "\x51\x78\xA3\x00\x01\x00\x00\x00\xFF";

// The number of whole status answers in the reply; `last` gets the last one.
size_t CatAnswers(Reply reply, cat::Packet& last) {
    size_t count = 0;
    cat::Packet packet;
    for (size_t at = 0; at < reply.size();) {
        const cat::Framing f = cat::ReadPacket(reply.subspan(at), packet);
        if (f == cat::Framing::Short) break;
        if (f == cat::Framing::NotPacket) {
            at++;
            continue;
        }
        if (packet.command == cat::kStatus && packet.direction == cat::kFromPrinter) {
            last = packet;
            count++;
        }
        at += packet.size;
    }
    return count;
}

size_t CountCatAnswers(Reply reply) {
    cat::Packet last;
    return CatAnswers(reply, last);
}

bool CatComplete(Reply reply) {
    return CountCatAnswers(reply) > 0;
}

PrinterConditions ParseCat(Reply reply) {
    PrinterConditions c;
    cat::Packet answer;
    if (CatAnswers(reply, answer) == 0 || !answer.crcGood || answer.data.empty()) return c;
    const uint8_t status = answer.data[0];
    c.answered = true;
    c.mediaEmpty = status & cat::kNoPaper;
    c.coverOpen = status & cat::kCoverOpen;
    c.overheated = status & cat::kTooHot;
    c.batteryLow = status & cat::kBatteryLow;
    return c;
}
}  // namespace

const StatusExchange kCatStatus{
    "Cat printer", {kCatQuery, sizeof kCatQuery - 1}, CatComplete, ParseCat, CountCatAnswers};

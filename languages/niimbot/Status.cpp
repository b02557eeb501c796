#include "languages/niimbot/NiimbotPacket.h"
#include "languages/niimbot/Row.h"

namespace {
using Reply = std::span<const uint8_t>;
using namespace niimbot;

// NIIMBOT: the heartbeat (DC 01), answered by a DD packet whose lid, battery
// and paper bytes sit where its length says. A print error packet (DB) that
// came before or with it counts too. Answers to the pages' own progress
// queries (B3, F4) and stray bytes are skipped; a bad check counts as none.
constexpr char kNiimbotQuery[] = "\x55\x55\xDC\x01\x01\xDC\xAA\xAA";

// Battery levels run 0 to 4 (0 to 100 %); this one and below is low.
constexpr uint8_t kBatteryLowLevel = 1;

struct HeartbeatFields {
    size_t length;
    int lid, battery, paper;  // -1: not in this form
};
constexpr HeartbeatFields kHeartbeatForms[] = {
    {9, 8, -1, -1}, {10, 8, 9, -1}, {13, 9, 10, 11}, {19, 15, 16, 17}, {20, -1, -1, 18},
};

struct Answers {
    Packet heartbeat;
    size_t heartbeats = 0;
    uint8_t error = 0;  // last print error code, 0 none
};

Answers Read(Reply reply) {
    Answers a;
    Packet packet;
    for (size_t at = 0; at < reply.size();) {
        const Framing f = ReadPacket(reply.subspan(at), packet);
        if (f == Framing::Short) break;
        if (f == Framing::NotPacket || !packet.checkGood) {
            at++;
            continue;
        }
        if (packet.command == kHeartbeatAnswer) {
            a.heartbeat = packet;
            a.heartbeats++;
        } else if (packet.command == kPrintError && !packet.data.empty()) {
            a.error = packet.data[0];
        }
        at += packet.size;
    }
    return a;
}

bool NiimbotComplete(Reply reply) {
    return Read(reply).heartbeats > 0;
}

void ApplyError(uint8_t code, PrinterConditions& c) {
    switch (code) {
        case 0:
        case 0x05:  // cancelled on the printer
            break;
        case kErrCoverOpen:
            c.coverOpen = true;
            break;
        case kErrNoPaper:
        case kErrPaperOut:
            c.mediaEmpty = true;
            break;
        case kErrBatteryLow:
            c.batteryLow = true;
            break;
        case kErrOverheat:
            c.overheated = true;
            break;
        default:
            c.otherError = true;
    }
}

PrinterConditions ParseNiimbot(Reply reply) {
    PrinterConditions c;
    const Answers a = Read(reply);
    if (a.heartbeats == 0) return c;
    const std::span<const uint8_t> d = a.heartbeat.data;
    for (const HeartbeatFields& f : kHeartbeatForms) {
        if (f.length != d.size()) continue;
        c.answered = true;
        if (f.lid >= 0) c.coverOpen = d[f.lid] != 0;
        if (f.battery >= 0) c.batteryLow = d[f.battery] <= kBatteryLowLevel;
        if (f.paper >= 0) c.mediaEmpty = d[f.paper] != 0;
    }
    if (c.answered) ApplyError(a.error, c);
    return c;
}
}  // namespace

const StatusExchange kNiimbotStatus{
    "NIIMBOT", {kNiimbotQuery, sizeof kNiimbotQuery - 1}, NiimbotComplete, ParseNiimbot};

#include <algorithm>

#include "languages/niimbot/ModelId.h"
#include "languages/niimbot/NiimbotPacket.h"
#include "languages/niimbot/Row.h"

namespace {
using Reply = std::span<const uint8_t>;
using namespace niimbot;

// NIIMBOT: the model id (40 08), then the heartbeat (DC 01), answered by a
// DD packet whose lid, battery and paper bytes sit where its length says;
// the model id, answered first, tells whether the lid byte is inverted. A
// print error packet (DB) that came before or with it counts too. Answers
// to the pages' own progress queries (B3, F4) and stray bytes are skipped;
// a bad check counts as none.
constexpr char kNiimbotQuery[] = "\x55\x55\x40\x01\x08\x49\xAA\xAA\x55\x55\xDC\x01\x01\xDC\xAA\xAA";

// Models whose heartbeat has 1 for a closed lid.
constexpr int kLidInverted[] = {272,  273,  274,  512,  513,  514, 1792,
                                2304, 2560, 3584, 3840, 4352, 5120};

// The progress answer (B3): page u16, print %, feed %, ...; in the 10-byte
// form byte 6 is an error code (the lid opened mid-print gave 1).
constexpr size_t kProgressFields = 4, kPrintProgress = 2, kProgressError = 6;
constexpr char kProgressQuery[] = "\x55\x55\xA3\x01\x01\xA3\xAA\xAA";
constexpr char kPrintEndBytes[] = "\x55\x55\xF3\x01\x01\xF3\xAA\xAA";

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

// The packets of `reply` with a good check, in order; stray bytes are
// passed over.
template <class Visit>
void EachPacket(Reply reply, Visit visit) {
    Packet packet;
    for (size_t at = 0; at < reply.size();) {
        const Framing f = ReadPacket(reply.subspan(at), packet);
        if (f == Framing::Short) break;
        if (f == Framing::NotPacket || !packet.checkGood) {
            at++;
            continue;
        }
        visit(packet);
        at += packet.size;
    }
}

Answers Read(Reply reply) {
    Answers a;
    EachPacket(reply, [&a](const Packet& packet) {
        if (packet.command == kHeartbeatAnswer) {
            a.heartbeat = packet;
            a.heartbeats++;
        } else if (packet.command == kPrintError && !packet.data.empty()) {
            a.error = packet.data[0];
        }
    });
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

PageProgress Failure(uint8_t code) {
    PageProgress p{PageProgress::Failed, false, {}};
    p.conditions.answered = true;
    ApplyError(code, p.conditions);
    if (!p.conditions.BlocksPrinting() && !p.conditions.batteryLow) p.conditions.otherError = true;
    return p;
}

// A print error packet fails the page; so does the error byte of a
// progress answer's long form. Print end answered 1 ends it. A progress of
// 100 % counts only after one below it: right after the page the printer
// may still report the previous print's 100 %.
PageProgress ReadNiimbotProgress(Reply reply) {
    PageProgress p;
    bool below = false;
    EachPacket(reply, [&](const Packet& packet) {
        if (p.state == PageProgress::Failed || packet.data.empty()) return;
        const std::span<const uint8_t> d = packet.data;
        const bool printing = p.state == PageProgress::Printing;
        if (packet.command == kPrintError) {
            if (printing) p = Failure(d[0]);
        } else if (packet.command == kPrintStatusAnswer && d.size() >= kProgressFields) {
            if (!printing) return;
            if (d.size() > kProgressError && d[kProgressError] != 0) {
                p = Failure(d[kProgressError]);
            } else if (d[kPrintProgress] < 100) {
                below = true;
            } else if (below) {
                p.state = PageProgress::Printed;
            }
        } else if (packet.command == kPrintEndAnswer && d[0] == 1) {
            p.state = PageProgress::Printed;
            p.ended = true;
        }
    });
    return p;
}

PrinterConditions ParseNiimbot(Reply reply) {
    PrinterConditions c;
    const Answers a = Read(reply);
    if (a.heartbeats == 0) return c;
    const std::span<const uint8_t> d = a.heartbeat.data;
    const bool inverted =
        std::ranges::find(kLidInverted, NiimbotModelId(reply)) != std::end(kLidInverted);
    for (const HeartbeatFields& f : kHeartbeatForms) {
        if (f.length != d.size()) continue;
        c.answered = true;
        if (f.lid >= 0) c.coverOpen = (d[f.lid] != 0) != inverted;
        if (f.battery >= 0) c.batteryLow = d[f.battery] <= kBatteryLowLevel;
        if (f.paper >= 0) c.mediaEmpty = d[f.paper] != 0;
    }
    if (c.answered) ApplyError(a.error, c);
    return c;
}

const PageProgressExchange kNiimbotProgress{{kProgressQuery, sizeof kProgressQuery - 1},
                                            {kPrintEndBytes, sizeof kPrintEndBytes - 1},
                                            ReadNiimbotProgress};
}  // namespace

const StatusExchange kNiimbotStatus{"NIIMBOT",       {kNiimbotQuery, sizeof kNiimbotQuery - 1},
                                    NiimbotComplete, ParseNiimbot,
                                    nullptr,         &kNiimbotProgress,
                                    &kNiimbotModel};

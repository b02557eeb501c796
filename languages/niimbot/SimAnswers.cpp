#include "languages/niimbot/NiimbotPacket.h"
#include "tools/sim/LanguageAnswers.h"

namespace {
using namespace niimbot;

std::vector<tagQuery> Queries() {
    return {{{0x55, 0x55, 0xDC, 0x01, 0x01, 0xDC, 0xAA, 0xAA}, "DC heartbeat", true},
            {{0x55, 0x55, 0xA3, 0x01, 0x01, 0xA3, 0xAA, 0xAA}, "A3 print status", true},
            {{0x55, 0x55, 0xF3, 0x01, 0x01, 0xF3, 0xAA, 0xAA}, "F3 print end", true},
            {{0x55, 0x55, 0x40, 0x01, 0x08, 0x49, 0xAA, 0xAA}, "40 model id", true}};
}

// The heartbeat's 13-byte form as a B21 sent it: lid at 9 (0 closed),
// battery at 10 (0 to 4), paper at 11 (0 loaded), paper tag at 12.
std::string Heartbeat(const tagPrinterStatus& s, std::string& shown) {
    uint8_t d[] = {0x1E, 0xD8, 0x00, 0x6C, 0x00, 0x6C, 0x00, 0x00, 0x54, 0x00, 0x03, 0x00, 0x01};
    d[9] = s.coverOpen ? 1 : 0;
    d[10] = s.batteryLow ? 1 : 3;
    d[11] = s.paperOut ? 1 : 0;
    std::string reply;
    // A hot head shows only as a print error packet ahead of the answer.
    if (s.headHot) AppendPacket(reply, kPrintError, {kErrOverheat});
    AppendPacket(reply, kHeartbeatAnswer, d);
    shown = std::string(s.headHot ? "DB 07, " : "") + "lid " + HexByte(d[9]) + " battery " +
            HexByte(d[10]) + " paper " + HexByte(d[11]);
    return reply;
}

// The print error code of why the last page was lost, 0 when it printed.
uint8_t LostCode(const tagPrinterStatus& s) {
    if (s.lastPageLost.empty()) return 0;
    if (s.lastPageLost == "cover open") return kErrCoverOpen;
    if (s.lastPageLost == "paper out") return kErrNoPaper;
    return kErrOverheat;
}

// A3: page 1 printed and fed (100 %), or, when the last page was lost, the
// error code in the long form's byte 6; F3: 1, done (0 after a lost page).
std::string Reply(const tagQuery& q, const tagPrinterStatus& s, std::string& shown) {
    const uint8_t error = LostCode(s);
    std::string reply;
    switch (q.bytes[2]) {
        case kHeartbeat:
            return Heartbeat(s, shown);
        case kPrinterInfo:
            // A B21: model id 768.
            AppendPacket(reply, kPrinterInfo + 8, {0x03, 0x00});
            shown = "model 768";
            return reply;
        case kPrintStatus: {
            const uint8_t done = error ? 0 : 100;
            AppendPacket(reply, kPrintStatusAnswer,
                         {0x00, 0x01, done, done, 0x00, 0x00, error,
                          error ? uint8_t{0} : uint8_t{2}, 0x00, 0x00});
            shown = error ? "page failed, error " + HexByte(error) : "page 1 done";
            return reply;
        }
        default:
            AppendPacket(reply, kPrintEndAnswer, {error ? uint8_t{0} : uint8_t{1}});
            shown = error ? "not done" : "done";
            return reply;
    }
}
}  // namespace

const tagStatusAnswers kNiimbotSimAnswers{PreviewLanguage::Niimbot, Queries, Reply};

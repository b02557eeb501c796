#include "printers/StatusExchange.h"

#include <string>
#include <vector>

#include "languages/cat/CatPacket.h"
#include "printers/Languages.h"

namespace {
using Reply = std::span<const uint8_t>;

// ESC/POS and PeriPage: DLE EOT 1 (printer), 2 (offline cause), 3 (error
// cause), 4 (roll paper sensor), sent together; one byte back for each, in
// order. Every answer has bits 1 and 4 set and bits 0 and 7 clear.
constexpr char kDleEotQuery[] = "\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04";
constexpr size_t kDleEotReplies = 4;
constexpr uint8_t kDleEotFixedMask = 0x93;
constexpr uint8_t kDleEotFixedBits = 0x12;

bool DleEotComplete(Reply reply) {
    return reply.size() >= kDleEotReplies;
}

PrinterConditions ParseDleEot(Reply reply) {
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

// ZPL: ~HS, three lines back, each STX text ETX CR LF, fields separated by
// commas.
constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr size_t kZplLines = 3;
// Line 1: aaa,b,c,dddd,eee,f,g,h,iii,j,k,l (b paper out, c paused,
// k under temperature, l over temperature).
constexpr size_t kLine1Fields = 12, kPaperOut = 1, kPaused = 2, kTooCold = 10, kTooHot = 11;
// Line 2: mmm,n,o,p,q,r,s,t,uuuuuuuu,v,www (o head up, p ribbon out).
constexpr size_t kLine2Fields = 11, kHeadUp = 2, kRibbonOut = 3;

// The texts between STX and ETX, in order; bytes outside them (CR LF) are
// skipped.
std::vector<std::string> ZplLines(Reply reply) {
    std::vector<std::string> lines;
    bool inside = false;
    for (uint8_t byte : reply) {
        const char ch = static_cast<char>(byte);
        if (ch == kStx) {
            inside = true;
            lines.emplace_back();
        } else if (ch == kEtx) {
            inside = false;
        } else if (inside) {
            lines.back() += ch;
        }
    }
    return lines;
}

bool ZplComplete(Reply reply) {
    size_t ends = 0;
    bool inside = false;
    for (uint8_t byte : reply) {
        if (byte == kStx) inside = true;
        if (byte == kEtx && inside) {
            inside = false;
            ends++;
        }
    }
    return ends >= kZplLines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char ch : line) {
        if (ch == ',')
            fields.emplace_back();
        else
            fields.back() += ch;
    }
    return fields;
}

// A flag field is "0" or "1"; anything else makes the reply malformed.
bool Flag(const std::string& field, bool& value) {
    if (field != "0" && field != "1") return false;
    value = field == "1";
    return true;
}

PrinterConditions ParseZpl(Reply reply) {
    PrinterConditions c;
    const std::vector<std::string> lines = ZplLines(reply);
    if (lines.size() < kZplLines) return c;
    const std::vector<std::string> one = Fields(lines[0]);
    const std::vector<std::string> two = Fields(lines[1]);
    if (one.size() < kLine1Fields || two.size() < kLine2Fields) return c;
    bool tooCold = false;
    if (!Flag(one[kPaperOut], c.mediaEmpty) || !Flag(one[kPaused], c.offline) ||
        !Flag(one[kTooCold], tooCold) || !Flag(one[kTooHot], c.overheated) ||
        !Flag(two[kHeadUp], c.coverOpen) || !Flag(two[kRibbonOut], c.ribbonOut))
        return PrinterConditions{};
    c.otherError = tooCold;
    c.answered = true;
    return c;
}

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

const StatusExchange kEscPosStatus{
    "ESC/POS", {kDleEotQuery, sizeof kDleEotQuery - 1}, DleEotComplete, ParseDleEot};
const StatusExchange kPeriPageStatus{
    "PeriPage", {kDleEotQuery, sizeof kDleEotQuery - 1}, DleEotComplete, ParseDleEot};
const StatusExchange kTsplStatus{"TSPL", "\x1b!?", TsplComplete, ParseTspl};
const StatusExchange kZplStatus{"ZPL", "~HS", ZplComplete, ParseZpl};
const StatusExchange kBrotherQlStatus{"Brother QL", "\x1biS", QlComplete, ParseQl};
const StatusExchange kDymoStatus{"DYMO",
                                 "\x1b"
                                 "A",
                                 DymoComplete, ParseDymo};

const StatusExchange kCatStatus{
    "Cat printer", {kCatQuery, sizeof kCatQuery - 1}, CatComplete, ParseCat, CountCatAnswers};

const StatusExchange* StatusExchangeFor(int modelNumber) {
    const Language* language = LanguageOfModel(modelNumber);
    return language ? language->status : nullptr;
}

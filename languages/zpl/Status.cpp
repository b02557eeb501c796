#include <string>
#include <vector>

#include "languages/zpl/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

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

}  // namespace

const StatusExchange kZplStatus{"ZPL", "~HS", ZplComplete, ParseZpl};

#include "languages/phomemo/Row.h"

namespace {
using Reply = std::span<const uint8_t>;

// Battery (1F 11 08), paper (1F 11 11) and lid (1F 11 12). The printer
// answers `1A tt vv`, and sends the same for events of its own (lid, paper,
// motor stopped), so the reply is read as 1A records by their type, the
// last of each type counting; the answers to an M02 page's own queries
// (timer, firmware, serial) come before and are stepped over.
constexpr char kPhomemoQuery[] = "\x1f\x11\x08\x1f\x11\x11\x1f\x11\x12";

constexpr uint8_t kRecord = 0x1A;
constexpr uint8_t kBattery = 0x04, kLid = 0x05, kPaper = 0x06, kFirmware = 0x07;
constexpr uint8_t kLidClosed = 0x98, kLidOpen = 0x99;
constexpr uint8_t kPaperOut = 0x88, kPaperIn = 0x89;
// (check) Battery per cent at or below which it is low.
constexpr int kBatteryLowPercent = 10;

struct Records {
    int battery = -1, lid = -1, paper = -1;  // last value; -1: none
};

// Low battery levels come coded on the M02: A4 0 %, A3 3 %, A2 5 %, A1 10 %.
int BatteryPercent(uint8_t v) {
    switch (v) {
        case 0xA4:
            return 0;
        case 0xA3:
            return 3;
        case 0xA2:
            return 5;
        case 0xA1:
            return 10;
        default:
            return v;
    }
}

// Bytes of a record: the firmware answer carries three values; after other
// types only 1A tt is stepped over, and the bytes up to the next 1A (the
// serial number's ASCII, values not known) one at a time.
size_t RecordLength(uint8_t type) {
    switch (type) {
        case kFirmware:
            return 5;
        case kBattery:
        case kLid:
        case kPaper:
            return 3;
        default:
            return 2;
    }
}

Records Read(Reply reply) {
    Records r;
    for (size_t at = 0; at + 3 <= reply.size();) {
        if (reply[at] != kRecord) {
            at++;
            continue;
        }
        const uint8_t type = reply[at + 1], value = reply[at + 2];
        if (type == kBattery) r.battery = BatteryPercent(value);
        if (type == kLid && (value == kLidClosed || value == kLidOpen)) r.lid = value;
        if (type == kPaper && (value == kPaperOut || value == kPaperIn)) r.paper = value;
        at += RecordLength(type);
    }
    return r;
}

bool PhomemoComplete(Reply reply) {
    const Records r = Read(reply);
    return r.lid >= 0 && r.paper >= 0;
}

PrinterConditions ParsePhomemo(Reply reply) {
    PrinterConditions c;
    const Records r = Read(reply);
    if (r.lid < 0 || r.paper < 0) return c;
    c.answered = true;
    c.coverOpen = r.lid == kLidOpen;
    // The paper sensor is not to be trusted with the lid open.
    c.mediaEmpty = !c.coverOpen && r.paper == kPaperOut;
    c.batteryLow = r.battery >= 0 && r.battery <= kBatteryLowPercent;
    return c;
}
}  // namespace

const StatusExchange kPhomemoStatus{
    "Phomemo", {kPhomemoQuery, sizeof kPhomemoQuery - 1}, PhomemoComplete, ParsePhomemo};

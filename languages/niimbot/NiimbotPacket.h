#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Packets of NIIMBOT label printers, both ways: 55 55 CMD LEN DATA CHK AA AA,
// LEN one byte, CHK the XOR of CMD, LEN and every DATA byte; numbers in DATA
// are big-endian unless noted. Shared by the encoder, the status exchange,
// the preview decoder and the simulator.
namespace niimbot {
inline constexpr uint8_t kHead = 0x55, kTail = 0xAA;
inline constexpr size_t kOverhead = 7;  // bytes around DATA
inline constexpr size_t kMaxData = 255;

enum Command : uint8_t {
    kPrintStart = 0x01,     // answer 02
    kPageStart = 0x03,      // answer 04
    kSetPageSize = 0x13,    // answer 14
    kPrintQuantity = 0x15,  // answer 16
    kPrintClear = 0x20,     // answer 30
    kSetDensity = 0x21,     // answer 31
    kSetLabelType = 0x23,   // answer 33
    kEmptyRows = 0x84,      // row u16, count u8; no answer
    kBitmapRow = 0x85,      // row u16, 3 count bytes, repeat u8, dots; no answer
    kIndexedRow = 0x83,     // row u16, 3 count bytes, repeat u8, u16 columns; no answer
    kPrinterInfo = 0x40,    // u8 key; answer 40 + key
    kPrintStatus = 0xA3,    // answer B3: page u16, print %, feed %, ...
    kPrintStatusAnswer = 0xB3,
    kHeartbeat = 0xDC,        // u8 variant; answer DD, DE, DF or D9
    kHeartbeatAnswer = 0xDD,  // the answer to variant 01
    kPrintError = 0xDB,       // unsolicited: u8 error code
    kPageEnd = 0xE3,          // answer E4
    kPrintEnd = 0xF3,         // answer F4: 1 done, 0 not yet
    kPrintEndAnswer = 0xF4,
};

// PrintError codes the application reports.
enum Error : uint8_t {
    kErrCoverOpen = 0x01,
    kErrNoPaper = 0x02,
    kErrBatteryLow = 0x03,
    kErrOverheat = 0x07,
    kErrPaperOut = 0x08,
};

uint8_t Checksum(uint8_t command, std::span<const uint8_t> data);

// Appends one packet; DATA longer than 255 bytes is the caller's error and
// is cut to that length.
void AppendPacket(std::string& out, uint8_t command, std::span<const uint8_t> data);
void AppendPacket(std::string& out, uint8_t command, std::initializer_list<uint8_t> data);

// One packet read from the front of a byte stream.
struct Packet {
    uint8_t command = 0;
    std::span<const uint8_t> data;
    size_t size = 0;  // bytes the whole packet takes
    bool checkGood = false;
};

enum class Framing {
    Whole,      // `packet` is filled
    Short,      // the input ends inside the packet
    NotPacket,  // no 55 55 at the start, or no AA AA at the end
};

Framing ReadPacket(std::span<const uint8_t> in, Packet& packet);
}  // namespace niimbot

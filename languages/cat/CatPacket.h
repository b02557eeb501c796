#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Packets of the cat printer language: 51 78 CMD DIR LEN_lo LEN_hi DATA CRC FF,
// where DIR is 00 from the host and 01 from the printer, and CRC is the CRC-8
// (polynomial 0x07, initial value 0) of DATA alone. Shared by the encoder,
// the status exchange, the preview decoder and the simulator.
namespace cat {
inline constexpr uint8_t kStart0 = 0x51, kStart1 = 0x78, kEnd = 0xFF;
inline constexpr uint8_t kFromHost = 0x00, kFromPrinter = 0x01;
inline constexpr size_t kOverhead = 8;  // bytes around DATA

enum Command : uint8_t {
    kFeedBack = 0xA0,
    kFeed = 0xA1,         // rows (one byte here), then 00
    kLine = 0xA2,         // one dot line, LSB = leftmost dot
    kStatus = 0xA3,       // query 00; answer: status byte
    kQuality = 0xA4,      // 31-35
    kLattice = 0xA6,      // brackets a print
    kFlowControl = 0xAE,  // from the printer: 10 stop sending, 00 go on
    kEnergy = 0xAF,       // 16-bit little-endian
    kSpeed = 0xBD,
    kDrawingMode = 0xBE,  // 00 image, 01 text
};

// Status answer bits.
inline constexpr uint8_t kNoPaper = 0x01, kCoverOpen = 0x02, kTooHot = 0x04, kBatteryLow = 0x08;

inline constexpr uint8_t kLatticeStart[] = {0xAA, 0x55, 0x17, 0x38, 0x44, 0x5F,
                                            0x5F, 0x5F, 0x44, 0x38, 0x2C};
inline constexpr uint8_t kLatticeEnd[] = {0xAA, 0x55, 0x17, 0x00, 0x00, 0x00,
                                          0x00, 0x00, 0x00, 0x00, 0x17};

uint8_t Crc8(std::span<const uint8_t> data);

// Appends one packet; DATA longer than 0xFFFF bytes is the caller's error
// and is cut to that length.
void AppendPacket(std::string& out, uint8_t command, std::span<const uint8_t> data,
                  uint8_t direction = kFromHost);

// One packet read from the front of a byte stream.
struct Packet {
    uint8_t command = 0;
    uint8_t direction = 0;
    std::span<const uint8_t> data;
    size_t size = 0;  // bytes the whole packet takes
    bool crcGood = false;
};

enum class Framing {
    Whole,      // `packet` is filled
    Short,      // the input ends inside the packet
    NotPacket,  // no 51 78 at the start, or no FF at the end
};

Framing ReadPacket(std::span<const uint8_t> in, Packet& packet);
}  // namespace cat

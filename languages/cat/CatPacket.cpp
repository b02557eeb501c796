#include "languages/cat/CatPacket.h"

#include <algorithm>

namespace cat {

uint8_t Crc8(std::span<const uint8_t> data) {
    uint8_t crc = 0;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; bit++)
            crc = static_cast<uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

void AppendPacket(std::string& out, uint8_t command, std::span<const uint8_t> data,
                  uint8_t direction) {
    data = data.first(std::min<size_t>(data.size(), 0xFFFF));
    const size_t n = data.size();
    out += static_cast<char>(kStart0);
    out += static_cast<char>(kStart1);
    out += static_cast<char>(command);
    out += static_cast<char>(direction);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out.append(reinterpret_cast<const char*>(data.data()), n);
    out += static_cast<char>(Crc8(data));
    out += static_cast<char>(kEnd);
}

Framing ReadPacket(std::span<const uint8_t> in, Packet& packet) {
    if (in.size() >= 1 && in[0] != kStart0) return Framing::NotPacket;
    if (in.size() >= 2 && in[1] != kStart1) return Framing::NotPacket;
    if (in.size() < 6) return Framing::Short;
    const size_t n = in[4] | (size_t{in[5]} << 8);
    if (in.size() < n + kOverhead) return Framing::Short;
    if (in[n + kOverhead - 1] != kEnd) return Framing::NotPacket;
    packet.command = in[2];
    packet.direction = in[3];
    packet.data = in.subspan(6, n);
    packet.size = n + kOverhead;
    packet.crcGood = Crc8(packet.data) == in[6 + n];
    return Framing::Whole;
}

}  // namespace cat

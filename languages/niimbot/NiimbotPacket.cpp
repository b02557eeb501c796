#include "languages/niimbot/NiimbotPacket.h"

#include <algorithm>

namespace niimbot {

uint8_t Checksum(uint8_t command, std::span<const uint8_t> data) {
    uint8_t x = static_cast<uint8_t>(command ^ data.size());
    for (uint8_t b : data) x ^= b;
    return x;
}

void AppendPacket(std::string& out, uint8_t command, std::span<const uint8_t> data) {
    data = data.first(std::min(data.size(), kMaxData));
    out += static_cast<char>(kHead);
    out += static_cast<char>(kHead);
    out += static_cast<char>(command);
    out += static_cast<char>(data.size());
    out.append(reinterpret_cast<const char*>(data.data()), data.size());
    out += static_cast<char>(Checksum(command, data));
    out += static_cast<char>(kTail);
    out += static_cast<char>(kTail);
}

void AppendPacket(std::string& out, uint8_t command, std::initializer_list<uint8_t> data) {
    AppendPacket(out, command, std::span<const uint8_t>(data.begin(), data.size()));
}

Framing ReadPacket(std::span<const uint8_t> in, Packet& packet) {
    for (size_t i = 0; i < 2 && i < in.size(); i++)
        if (in[i] != kHead) return Framing::NotPacket;
    if (in.size() < 4) return Framing::Short;
    const size_t n = in[3];
    if (in.size() < n + kOverhead) return Framing::Short;
    if (in[n + 5] != kTail || in[n + 6] != kTail) return Framing::NotPacket;
    packet.command = in[2];
    packet.data = in.subspan(4, n);
    packet.size = n + kOverhead;
    packet.checkGood = Checksum(packet.command, packet.data) == in[4 + n];
    return Framing::Whole;
}

}  // namespace niimbot

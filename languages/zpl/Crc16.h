#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// CRC-16 with polynomial 0x1021, initial value 0, no reflection and no final
// xor: the check value after the base64 text of a ZPL Z64 graphic field.
// Header-only so that the stream decoder checks with the same function.
namespace crc16_detail {
constexpr std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; i++) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; bit++) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}
inline constexpr std::array<uint16_t, 256> kTable = MakeTable();
}  // namespace crc16_detail

inline uint16_t Crc16Xmodem(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint16_t crc = 0;
    for (size_t i = 0; i < size; i++)
        crc = static_cast<uint16_t>((crc << 8) ^ crc16_detail::kTable[(crc >> 8) ^ bytes[i]]);
    return crc;
}

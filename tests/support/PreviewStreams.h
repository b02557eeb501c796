#pragma once

// Hand-built printer streams for the preview decoder tests. Header-only: the
// decoder library is linked into the test binary, not into testsupport.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "languages/cat/CatPacket.h"
#include "tools/preview/DecodeContext.h"
#include "tools/preview/StreamDecoder.h"

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPaperangSeed = 0x35769521;

// A page as packed rows, set bit = dot.
struct TestBitmap {
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    Bytes black;
};

inline void Put(Bytes& b, std::initializer_list<int> values) {
    for (int v : values) b.push_back(static_cast<uint8_t>(v));
}
inline void Put(Bytes& b, const std::string& text) {
    b.insert(b.end(), text.begin(), text.end());
}
inline void Put(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}
inline Bytes Inverted(Bytes b) {
    for (uint8_t& v : b) v = static_cast<uint8_t>(~v);
    return b;
}
inline Bytes ZlibCompress(const Bytes& in) {
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    Bytes out(size);
    compress(out.data(), &size, in.data(), static_cast<uLong>(in.size()));
    out.resize(size);
    return out;
}

// Two sample pages of bytes 00, FF, 0F and F0 only (see PaperangPage).
inline TestBitmap SampleBitmap(int variant) {
    if (variant == 0)
        return {4, 3, {0x0F, 0x00, 0xFF, 0xF0, 0x00, 0x0F, 0xF0, 0xFF, 0xFF, 0x0F, 0x00, 0x00}};
    return {4, 2, {0xF0, 0xF0, 0x00, 0x0F, 0x00, 0xFF, 0x0F, 0x00}};
}

inline Bytes TsplPage(const TestBitmap& bm, bool zlib) {
    Bytes b;
    Put(b, "SIZE 4.00 mm,0.38 mm\r\nGAP 3 mm,0 mm\r\nDENSITY 8\r\nSPEED 4\r\nCLS\r\n");
    std::string head = "BITMAP 0,0," + std::to_string(bm.rowBytes) + "," + std::to_string(bm.rows);
    if (zlib) {
        Bytes packed = ZlibCompress(bm.black);
        Put(b, head + ",3," + std::to_string(packed.size()) + ",");
        Put(b, packed);
    } else {
        Put(b, head + ",1,");
        Put(b, Inverted(bm.black));
    }
    Put(b, "\r\nPRINT 1,1\r\n");
    return b;
}

inline Bytes CpclPage(const TestBitmap& bm) {
    Bytes b;
    std::string rows = std::to_string(bm.rows);
    Put(b, "! 0 200 200 " + rows + " 1\r\nPAGE-WIDTH " + std::to_string(bm.rowBytes * 8) +
               "\r\nCG " + std::to_string(bm.rowBytes) + " " + rows + " 0 0\r\n");
    Put(b, bm.black);
    Put(b, "FORM\r\nPRINT\r\n");
    return b;
}

// Plain hex digits, no run-length compression.
inline Bytes ZplPage(const TestBitmap& bm) {
    std::string hex;
    for (uint8_t v : bm.black) hex += Hex(v, 2);
    const std::string total = std::to_string(bm.black.size());
    Bytes b;
    Put(b, "^XA^PW" + std::to_string(bm.rowBytes * 8) + "^LL" + std::to_string(bm.rows) +
               "^MNY~SD15^FO0,0^GFA," + total + "," + total + "," + std::to_string(bm.rowBytes) +
               "," + hex + "^FS^PQ1^XZ");
    return b;
}

inline Bytes EplPage(const TestBitmap& bm) {
    Bytes b;
    Put(b, "\nN\nq" + std::to_string(bm.rowBytes * 8) + "\nQ" + std::to_string(bm.rows) +
               ",24\nD8\nGW0,0," + std::to_string(bm.rowBytes) + "," + std::to_string(bm.rows) +
               "\n");
    Put(b, Inverted(bm.black));
    Put(b, "\nP1\n");
    return b;
}

inline Bytes EscPosPage(const TestBitmap& bm) {
    Bytes b;
    Put(b, {0x1B, 0x40, 0x00, 0x1B, 0x61, 0x01, 0x1D, 0x76, 0x30, 0x00});
    Put(b, {static_cast<int>(bm.rowBytes & 0xFF), static_cast<int>(bm.rowBytes >> 8),
            static_cast<int>(bm.rows & 0xFF), static_cast<int>(bm.rows >> 8)});
    Put(b, bm.black);
    Put(b, {0x1B, 0x4A, 0x4F, 0x1D, 0x56, 0x30});
    return b;
}

// A Phomemo label: speed, density and media type, one GS v 0 block, the
// two 1F F0 feeds.
inline Bytes PhomemoPage(const TestBitmap& bm) {
    Bytes b;
    Put(b, {0x1B, 0x4E, 0x0D, 0x03, 0x1B, 0x4E, 0x04, 0x08, 0x1F, 0x11, 0x0A});
    Put(b, {0x1D, 0x76, 0x30, 0x00, static_cast<int>(bm.rowBytes & 0xFF),
            static_cast<int>(bm.rowBytes >> 8), static_cast<int>(bm.rows & 0xFF),
            static_cast<int>(bm.rows >> 8)});
    Put(b, bm.black);
    Put(b, {0x1F, 0xF0, 0x05, 0x00, 0x1F, 0xF0, 0x03, 0x00});
    return b;
}

inline Bytes PeriPagePage(const TestBitmap& bm, bool compressed) {
    Bytes b;
    Put(b, {0x10, 0xFF, 0xFE, 0x01, 0x10, 0xFF, 0x10, 0x03, 0x01, 0x1B, 0x40, 0x00});
    Put(b, {0x10, 0xFF, 0x10, 0x00, 0x03, 0x1B, 0x61, 0x01});
    if (compressed) {
        Bytes z = ZlibCompress(bm.black);
        uint32_t length = static_cast<uint32_t>(z.size() - 2);
        Put(b,
            {0x1F, 0x00, static_cast<int>(bm.rowBytes >> 8), static_cast<int>(bm.rowBytes & 0xFF),
             static_cast<int>(bm.rows >> 8), static_cast<int>(bm.rows & 0xFF),
             static_cast<int>(length >> 24), static_cast<int>((length >> 16) & 0xFF),
             static_cast<int>((length >> 8) & 0xFF), static_cast<int>(length & 0xFF)});
        b.insert(b.end(), z.begin() + 2, z.end());
    } else {
        Put(b, {0x1D, 0x76, 0x30, 0x00, static_cast<int>(bm.rowBytes), 0, static_cast<int>(bm.rows),
                0});
        Put(b, bm.black);
    }
    Put(b, {0x10, 0x50, 0x10, 0xFF, 0xFE, 0x45});
    return b;
}

inline Bytes PaperangPacket(uint8_t code, const Bytes& params, uint32_t seed = kPaperangSeed) {
    Bytes block = {0x05, code, 0x03, static_cast<uint8_t>(params.size() & 0xFF),
                   static_cast<uint8_t>(params.size() >> 8)};
    Put(block, params);
    uint32_t crc =
        static_cast<uint32_t>(crc32(seed, block.data(), static_cast<uInt>(block.size())));
    Bytes p = {0xA5, 0x01, static_cast<uint8_t>(block.size() & 0xFF),
               static_cast<uint8_t>(block.size() >> 8)};
    Put(p, block);
    Put(p, {static_cast<int>(crc & 0xFF), static_cast<int>((crc >> 8) & 0xFF),
            static_cast<int>((crc >> 16) & 0xFF), static_cast<int>(crc >> 24)});
    p.push_back(0x5A);
    return p;
}

inline Bytes PaperangBitmapParams(uint16_t index, uint16_t rowBytes, const Bytes& chunk,
                                  bool compressed = true) {
    uint16_t n = static_cast<uint16_t>(chunk.size());
    Bytes p = {static_cast<uint8_t>(index & 0xFF),
               static_cast<uint8_t>(index >> 8),
               static_cast<uint8_t>((8 + n) & 0xFF),
               static_cast<uint8_t>((8 + n) >> 8),
               0x01,
               static_cast<uint8_t>(rowBytes & 0xFF),
               static_cast<uint8_t>(rowBytes >> 8),
               0,
               0,
               static_cast<uint8_t>(compressed ? 1 : 0),
               static_cast<uint8_t>(n & 0xFF),
               static_cast<uint8_t>(n >> 8)};
    Put(p, chunk);
    return p;
}

// A fixed tree over the four sample byte values, two bits each:
// 00 -> 00, FF -> 01, 0F -> 10, F0 -> 11 (root 0x102, inner 0x100 and 0x101).
inline Bytes FourSymbolTree() {
    Bytes t;
    for (int label : {0x102, 0x100, 0x00, 0xFF, 0x101, 0x0F, 0xF0,   // pre-order
                      0x00, 0x100, 0xFF, 0x102, 0x0F, 0x101, 0xF0})  // in-order
        Put(t, {label & 0xFF, label >> 8});
    return t;
}

inline Bytes FourSymbolChunk(const Bytes& data) {
    std::vector<int> bits;
    for (uint8_t v : data) {
        int code = v == 0x00 ? 0 : v == 0xFF ? 1 : v == 0x0F ? 2 : 3;
        bits.push_back(code >> 1);
        bits.push_back(code & 1);
    }
    Bytes chunk = {static_cast<uint8_t>((8 - bits.size() % 8) % 8)};
    for (size_t i = 0; i < bits.size(); i++) {
        if (i % 8 == 0) chunk.push_back(0);
        chunk.back() |= static_cast<uint8_t>(bits[i] << (7 - i % 8));
    }
    return chunk;
}

// One page: begin, tree, one chunk per row, end, paper locate.
inline Bytes PaperangPage(const TestBitmap& bm, uint32_t seed = kPaperangSeed) {
    Bytes b = PaperangPacket(0x19, {}, seed);
    Put(b, PaperangPacket(0x1C, FourSymbolTree(), seed));
    for (uint32_t r = 0; r < bm.rows; r++) {
        Bytes row(bm.black.begin() + r * bm.rowBytes, bm.black.begin() + (r + 1) * bm.rowBytes);
        Put(b, PaperangPacket(
                   0x1B,
                   PaperangBitmapParams(static_cast<uint16_t>(r),
                                        static_cast<uint16_t>(bm.rowBytes), FourSymbolChunk(row)),
                   seed));
    }
    Put(b, PaperangPacket(0x1A, {}, seed));
    Put(b, PaperangPacket(0x21, {0x64, 0, 0, 0}, seed));
    return b;
}

inline void PutCatPacket(Bytes& b, uint8_t command, const Bytes& data) {
    std::string packet;
    cat::AppendPacket(packet, command, data);
    Put(b, packet);
}

// A cat printer print without its status queries: quality, lattice start,
// energy, image mode, speed, one line packet per row (least significant bit
// leftmost), the tear-off feed and lattice end.
inline Bytes CatPrint(const TestBitmap& bm) {
    Bytes b;
    PutCatPacket(b, cat::kQuality, {0x33});
    PutCatPacket(b, cat::kLattice,
                 Bytes(std::begin(cat::kLatticeStart), std::end(cat::kLatticeStart)));
    PutCatPacket(b, cat::kEnergy, {0x00, 0x28});
    PutCatPacket(b, cat::kDrawingMode, {0x00});
    PutCatPacket(b, cat::kSpeed, {0x20});
    for (uint32_t r = 0; r < bm.rows; r++) {
        Bytes line(bm.rowBytes);
        for (uint32_t i = 0; i < bm.rowBytes; i++)
            for (int bit = 0; bit < 8; bit++)
                if (bm.black[r * bm.rowBytes + i] & (0x80 >> bit)) line[i] |= uint8_t(1 << bit);
        PutCatPacket(b, cat::kLine, line);
    }
    PutCatPacket(b, cat::kFeed, {0x50, 0x00});
    PutCatPacket(b, cat::kLattice, Bytes(std::begin(cat::kLatticeEnd), std::end(cat::kLatticeEnd)));
    return b;
}

const Bytes kCatStatusQuery = {0x51, 0x78, 0xA3, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF};

inline Bytes CatPage(const TestBitmap& bm) {
    Bytes b = kCatStatusQuery;
    Put(b, CatPrint(bm));
    Put(b, kCatStatusQuery);
    return b;
}

inline tagDecodeResult Decode(const Bytes& b, tagDecodeOptions options = {}) {
    return DecodeStream(b.data(), b.size(), options);
}

inline std::string SettingOf(const std::vector<tagSetting>& list, const std::string& key) {
    for (const tagSetting& s : list)
        if (s.key == key) return s.value;
    return "<none>";
}

// The bitmap followed by paper fed after it, as the decoder draws it.
inline TestBitmap WithWhiteRows(TestBitmap bm, uint32_t rows) {
    bm.rows += rows;
    bm.black.resize(size_t{bm.rowBytes} * bm.rows, 0);
    return bm;
}

inline void ExpectPage(const tagDecodedPage& page, const TestBitmap& bm) {
    EXPECT_EQ(page.width, bm.rowBytes * 8);
    EXPECT_EQ(page.height, bm.rows);
    EXPECT_EQ(page.bits, bm.black);
}

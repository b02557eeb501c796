#include <zlib.h>

#include "tools/preview/HuffmanTree.h"
#include "tools/preview/LanguageDecoders.h"

namespace {

uint32_t Le16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

enum : uint8_t {
    kFeed = 0x16,
    kBegin = 0x19,
    kEnd = 0x1A,
    kBitmap = 0x1B,
    kTree = 0x1C,
    kLocate = 0x21,
};

// Framed packets: A5 01 L(LE16) block CRC(LE32) 5A, the block being
// 05 code 03 M(LE16) parameters. Pages run from a begin to an end packet.
class CPaperangDecoder {
public:
    explicit CPaperangDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Packet(size_t& pos);
    bool Checksum(size_t at, const uint8_t* block, uint32_t length, uint32_t stated);
    bool Dispatch(size_t at, uint8_t code, const uint8_t* params, uint32_t m);
    bool PageCommand(size_t at, uint8_t code, const uint8_t* params, uint32_t m);
    bool Bitmap(size_t at, const uint8_t* params, uint32_t m);
    bool Chunk(size_t at, const uint8_t* chunk, uint32_t n, bool compressed);
    std::string ChecksumText(uint64_t packets, uint64_t bad) const;

    CDecodeContext& m_ctx;
    CHuffmanTree m_tree;
    uint32_t m_nextChunk = 0;
    uint32_t m_rowBytes = 0;
    uint64_t m_packets = 0, m_badPackets = 0;
    size_t m_firstBad = 0;
    uint64_t m_pagePackets = 0, m_pageBad = 0;
    bool m_lastBad = false;
};

void CPaperangDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Packet(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected the end-printing packet (code 1A)");
    m_ctx.Finish();
    std::string total = ChecksumText(m_packets, m_badPackets);
    if (m_badPackets > 0) total += ", the first at byte " + std::to_string(m_firstBad);
    m_ctx.SetStream("checksum seed", Hex(m_ctx.Options().paperangSeed, 8));
    m_ctx.SetStream("checksum", total);
}

std::string CPaperangDecoder::ChecksumText(uint64_t packets, uint64_t bad) const {
    if (bad == 0) return "ok (" + std::to_string(packets) + " packets)";
    return "MISMATCH in " + std::to_string(bad) + " of " + std::to_string(packets) + " packets";
}

bool CPaperangDecoder::Packet(size_t& pos) {
    const uint8_t* d = m_ctx.Data() + pos;
    if (!m_ctx.Need(pos, 4, "a packet header A5 01 L L")) return false;
    if (d[0] != 0xA5 || d[1] != 0x01)
        return m_ctx.Fail(pos, "expected a packet start A5 01, found " + HexBytes(d, 2));
    uint32_t length = Le16(d + 2);
    if (!m_ctx.Need(pos, size_t{length} + 9, "a whole packet")) return false;
    if (d[8 + length] != 0x5A)
        return m_ctx.Fail(pos + 8 + length,
                          "expected the packet end byte 5A, found " + Hex(d[8 + length], 2));
    if (length < 5 || d[4] != 0x05 || d[6] != 0x03)
        return m_ctx.Fail(pos + 4, "expected a command block 05 code 03 M M");
    uint32_t m = Le16(d + 7);
    if (m + 5 != length)
        return m_ctx.Fail(pos + 7, "parameter length " + std::to_string(m) +
                                       " does not fit the block length " + std::to_string(length));
    if (!Checksum(pos + 4 + length, d + 4, length, Le32(d + 4 + length))) return false;
    if (!Dispatch(pos + 4, d[5], d + 9, m)) return false;
    pos += length + 9;
    return true;
}

bool CPaperangDecoder::Checksum(size_t at, const uint8_t* block, uint32_t length, uint32_t stated) {
    uint32_t actual = static_cast<uint32_t>(crc32(m_ctx.Options().paperangSeed, block, length));
    m_packets++;
    m_pagePackets++;
    m_lastBad = stated != actual;
    if (!m_lastBad) return true;
    if (m_badPackets++ == 0) m_firstBad = at;
    m_pageBad++;
    if (!m_ctx.Options().strict) return true;
    return m_ctx.Fail(at, "packet checksum is " + Hex(stated, 8) + ", the block gives " +
                              Hex(actual, 8) + " (seed " + Hex(m_ctx.Options().paperangSeed, 8) +
                              ")");
}

bool CPaperangDecoder::Dispatch(size_t at, uint8_t code, const uint8_t* params, uint32_t m) {
    if (code == kBegin) {
        if (m_ctx.PageOpen())
            return m_ctx.Fail(at, "begin-printing packet inside a page (no end packet before it)");
        m_ctx.BeginPage();
        m_tree = CHuffmanTree();
        m_nextChunk = m_rowBytes = 0;
        m_pagePackets = 1;
        m_pageBad = m_lastBad ? 1 : 0;
        return true;
    }
    if (code == kFeed || code == kLocate) {
        uint32_t need = code == kFeed ? 2 : 4;
        if (m != need)
            return m_ctx.Fail(at, "expected " + std::to_string(need) + " parameter bytes");
        uint32_t value = code == kFeed ? Le16(params) : Le32(params);
        m_ctx.Add(code == kFeed ? "feed" : "paper locate", std::to_string(value));
        return true;
    }
    if (code != kEnd && code != kTree && code != kBitmap) {
        m_ctx.Add("other packet", "code " + Hex(code, 2));
        return true;
    }
    if (!m_ctx.PageOpen())
        return m_ctx.Fail(at, "packet code " + Hex(code, 2) + " outside a page (no begin packet)");
    return PageCommand(at, code, params, m);
}

bool CPaperangDecoder::PageCommand(size_t at, uint8_t code, const uint8_t* params, uint32_t m) {
    if (code == kTree) {
        if (m % 4 != 0) return m_ctx.Fail(at + 3, "code tree length is not a multiple of 4");
        std::string error = m_tree.Build(params, m / 4);
        if (!error.empty()) return m_ctx.Fail(at + 5, error);
        m_ctx.Set("code tree", std::to_string(m / 4) + " nodes");
        return true;
    }
    if (code == kBitmap) return Bitmap(at, params, m);
    m_ctx.Set("compression", "Huffman, " + std::to_string(m_nextChunk) + " chunks");
    m_ctx.Set("checksum", ChecksumText(m_pagePackets, m_pageBad));
    m_ctx.EndPage();
    return true;
}

// index(2) 8+n(2) 01 rowBytes(2) 00 00 compressed(1) n(2) chunk(n)
bool CPaperangDecoder::Bitmap(size_t at, const uint8_t* params, uint32_t m) {
    if (m < 12) return m_ctx.Fail(at, "bitmap packet shorter than its 12-byte header");
    uint32_t index = Le16(params), rest = Le16(params + 2), rowBytes = Le16(params + 5);
    uint32_t n = Le16(params + 10);
    if (rest != 8 + n || n + 12 != m || params[4] != 0x01)
        return m_ctx.Fail(at + 5, "bitmap header length fields do not match the packet");
    if (index != (m_nextChunk & 0xFFFF))
        return m_ctx.Fail(at + 5, "expected bitmap chunk " + std::to_string(m_nextChunk & 0xFFFF) +
                                      ", found " + std::to_string(index));
    if (rowBytes == 0 || (m_rowBytes != 0 && rowBytes != m_rowBytes))
        return m_ctx.Fail(at + 10, "bitmap row width of " + std::to_string(rowBytes) +
                                       " bytes is zero or changes within the page");
    m_rowBytes = rowBytes;
    m_nextChunk++;
    return Chunk(at + 17, params + 12, n, params[9] != 0);
}

// A chunk holds whole rows; set bits are dots.
bool CPaperangDecoder::Chunk(size_t at, const uint8_t* chunk, uint32_t n, bool compressed) {
    CPageCanvas& canvas = m_ctx.Canvas();
    uint64_t used = uint64_t{canvas.Height()} * m_rowBytes;
    size_t limit = m_ctx.Options().maxPageBytes;
    size_t room = used < limit ? static_cast<size_t>(limit - used) : 0;
    std::vector<uint8_t> rows;
    if (!compressed) {
        if (n > room) return m_ctx.CheckDrawn(false, at);
        rows.assign(chunk, chunk + n);
    } else {
        std::string error = m_tree.DecodeChunk(chunk, n, rows, room);
        if (!error.empty()) return m_ctx.Fail(at, error);
    }
    if (rows.size() % m_rowBytes != 0)
        return m_ctx.Fail(at, "bitmap chunk gives " + std::to_string(rows.size()) +
                                  " bytes, not whole rows of " + std::to_string(m_rowBytes));
    uint32_t count = static_cast<uint32_t>(rows.size() / m_rowBytes);
    return m_ctx.CheckDrawn(canvas.Append(rows.data(), m_rowBytes, count, true), at);
}

}  // namespace

void DecodePaperang(CDecodeContext& ctx) {
    CPaperangDecoder(ctx).Run();
}

// Cat printers: packets 51 78 CMD 00 LEN LEN DATA CRC FF (languages/cat/CatPacket.h).
// A page runs from lattice start to lattice end (A6); A2 packets are dot
// lines with the least significant bit the leftmost dot, A1 feeds paper.
// Each picture is the paper as it comes out: feeds in a print, the tear-off
// feed after the last line included, are white rows.

#include <algorithm>
#include <cstring>
#include <vector>

#include "languages/cat/CatPacket.h"
#include "tools/preview/LanguageDecoders.h"

namespace {
constexpr uint32_t kHeadDots = 384;

class CCatDecoder {
public:
    explicit CCatDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Packet(size_t& pos);
    bool Dispatch(size_t at, const cat::Packet& p);
    bool Lattice(size_t at, std::span<const uint8_t> data);
    bool Line(size_t at, std::span<const uint8_t> data);
    bool Feed(size_t at, std::span<const uint8_t> data);
    bool Setting(size_t at, const cat::Packet& p);

    CDecodeContext& m_ctx;
    std::vector<uint8_t> m_line;
    std::vector<tagSetting> m_before;  // settings sent before the lattice start
    uint32_t m_lines = 0;
    uint64_t m_statusQueries = 0;
};

void CCatDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Packet(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected the lattice end (A6): the stream ends inside a print");
    m_ctx.Finish();
    m_ctx.SetStream("status queries", std::to_string(m_statusQueries));
}

bool CCatDecoder::Packet(size_t& pos) {
    cat::Packet p;
    const std::span<const uint8_t> rest(m_ctx.Data() + pos, m_ctx.Left(pos));
    switch (cat::ReadPacket(rest, p)) {
        case cat::Framing::Short:
            return m_ctx.Fail(pos, "the stream ends inside a packet");
        case cat::Framing::NotPacket:
            // One byte shown unless it starts a packet, so that the message
            // does not depend on what follows a stray byte.
            return m_ctx.Fail(pos, "expected a packet 51 78 ... FF, found " +
                                       HexBytes(rest.data(), rest[0] == cat::kStart0 ? 2 : 1));
        case cat::Framing::Whole:
            break;
    }
    const size_t at = pos;
    pos += p.size;
    if (p.direction != cat::kFromHost)
        return m_ctx.Fail(at + 3, "packet " + Hex(p.command, 2) + " marked " + Hex(p.direction, 2) +
                                      ", expected 00 from the host");
    if (!p.crcGood)
        return m_ctx.Fail(at + 6 + p.data.size(), "CRC of packet " + Hex(p.command, 2) + " is " +
                                                      Hex(m_ctx.Data()[at + 6 + p.data.size()], 2) +
                                                      ", expected " + Hex(cat::Crc8(p.data), 2));
    return Dispatch(at, p);
}

bool CCatDecoder::Dispatch(size_t at, const cat::Packet& p) {
    switch (p.command) {
        case cat::kLattice:
            return Lattice(at, p.data);
        case cat::kLine:
            return Line(at, p.data);
        case cat::kFeed:
            return Feed(at, p.data);
        case cat::kStatus:
            m_statusQueries++;
            return true;
        default:
            return Setting(at, p);
    }
}

bool CCatDecoder::Lattice(size_t at, std::span<const uint8_t> data) {
    const auto is = [&](std::span<const uint8_t> want) { return std::ranges::equal(data, want); };
    if (is(cat::kLatticeStart)) {
        if (m_ctx.PageOpen()) return m_ctx.Fail(at, "lattice start inside a print");
        m_ctx.BeginPage();
        for (const tagSetting& s : m_before) m_ctx.Set(s.key, s.value);
        m_before.clear();
        m_lines = 0;
        return true;
    }
    if (is(cat::kLatticeEnd)) {
        if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "lattice end without a lattice start");
        m_ctx.EndPage();
        return true;
    }
    return m_ctx.Fail(at + 6, "lattice packet with unknown data " +
                                  HexBytes(data.data(), std::min<size_t>(data.size(), 11)));
}

bool CCatDecoder::Line(size_t at, std::span<const uint8_t> data) {
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "dot line outside a print (no lattice start)");
    if (data.empty()) return m_ctx.Fail(at, "dot line without bytes");
    m_line.resize(data.size());
    for (size_t i = 0; i < data.size(); i++) {
        uint8_t b = data[i], r = 0;
        for (int bit = 0; bit < 8; bit++)
            if (b & (1 << bit)) r |= static_cast<uint8_t>(0x80 >> bit);
        m_line[i] = r;
    }
    CPageCanvas& canvas = m_ctx.Canvas();
    m_ctx.Set("dot lines", std::to_string(++m_lines));
    return m_ctx.CheckDrawn(
        canvas.Append(m_line.data(), static_cast<uint32_t>(m_line.size()), 1, true), at);
}

bool CCatDecoder::Feed(size_t at, std::span<const uint8_t> data) {
    if (data.size() != 2)
        return m_ctx.Fail(
            at, "feed packet with " + std::to_string(data.size()) + " data bytes, expected 2");
    const uint32_t rows = data[0] | (uint32_t{data[1]} << 8);
    m_ctx.AddAmount("feed", rows, "rows");
    if (!m_ctx.PageOpen()) return true;
    // Before the first line the paper is as wide as the head.
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint32_t width = canvas.Width() ? canvas.Width() : kHeadDots;
    return m_ctx.CheckDrawn(canvas.Resize(width, uint64_t{canvas.Height()} + rows), at);
}

bool CCatDecoder::Setting(size_t at, const cat::Packet& p) {
    std::string key, value = HexBytes(p.data.data(), p.data.size());
    switch (p.command) {
        case cat::kQuality:
            key = "quality";
            break;
        case cat::kEnergy:
            if (p.data.size() != 2) return m_ctx.Fail(at, "energy packet without 2 data bytes");
            key = "energy";
            value = Hex(p.data[0] | (p.data[1] << 8), 4);
            break;
        case cat::kDrawingMode:
            key = "drawing mode";
            if (p.data.size() == 1 && p.data[0] <= 1) value = p.data[0] ? "text" : "image";
            break;
        case cat::kSpeed:
            key = "speed";
            if (p.data.size() == 1) value = std::to_string(p.data[0]);
            break;
        case cat::kFeedBack:
            key = "feed back";
            break;
        default:
            m_ctx.Add("other packet", Hex(p.command, 2) + ": " + value);
            return true;
    }
    if (m_ctx.PageOpen())
        m_ctx.Set(key, value);
    else
        m_before.push_back({key, value});
    return true;
}

}  // namespace

void DecodeCat(CDecodeContext& ctx) {
    CCatDecoder(ctx).Run();
}

// NIIMBOT: packets 55 55 CMD LEN DATA CHK AA AA (languages/niimbot/NiimbotPacket.h).
// A page runs from page start (03) to page end (E3); the page size (13)
// gives its rows and columns, 84 packets runs of white rows, 85 packets a
// bitmap row and how many rows it fills (a 13-byte page size begins a page
// without a page start). Each picture is the label as
// designed: a page on the D-series' 96-dot head with more rows than dots was
// turned a quarter turn onto it and is turned back (a page designed 12 mm
// wide and longer than 12 mm shows turned). A Connect packet's 03 prefix is
// skipped.

#include <string>
#include <vector>

#include "languages/niimbot/NiimbotPacket.h"
#include "tools/preview/LanguageDecoders.h"

namespace {
using namespace niimbot;

constexpr uint32_t kSidewaysHeadDots = 96;  // the D-series head
constexpr size_t kNinePageSize = 13;        // page size bytes of the nine-byte print start

class CNiimbotDecoder {
public:
    explicit CNiimbotDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Next(size_t& pos);
    bool Dispatch(size_t at, const Packet& p);
    bool PageSize(size_t at, std::span<const uint8_t> data);
    bool Rows(size_t at, const Packet& p);
    bool EndPage(size_t at);
    bool TurnBack(size_t at);
    bool Setting(const Packet& p);

    CDecodeContext& m_ctx;
    uint32_t m_rows = 0, m_cols = 0;
    uint32_t m_nextRow = 0;  // rows before it are sent
    bool m_sized = false;
    uint64_t m_statusQueries = 0, m_printEnds = 0;
};

void CNiimbotDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Next(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected the page end (E3): the stream ends inside a page");
    m_ctx.Finish();
    m_ctx.SetStream("progress queries", std::to_string(m_statusQueries));
    m_ctx.SetStream("print ends", std::to_string(m_printEnds));
}

bool CNiimbotDecoder::Next(size_t& pos) {
    const std::span<const uint8_t> rest(m_ctx.Data() + pos, m_ctx.Left(pos));
    if (rest.size() > 2 && rest[0] == 0x03 && rest[1] == kHead && rest[2] == kHead) {
        pos++;  // the Connect packet's prefix
        return true;
    }
    Packet p;
    switch (ReadPacket(rest, p)) {
        case Framing::Short:
            return m_ctx.Fail(pos, "the stream ends inside a packet");
        case Framing::NotPacket:
            return m_ctx.Fail(pos, "expected a packet 55 55 ... AA AA, found " +
                                       HexBytes(rest.data(), rest[0] == kHead ? 2 : 1));
        case Framing::Whole:
            break;
    }
    const size_t at = pos;
    pos += p.size;
    if (!p.checkGood)
        return m_ctx.Fail(at + 4 + p.data.size(),
                          "check byte of packet " + Hex(p.command, 2) + " is " +
                              Hex(m_ctx.Data()[at + 4 + p.data.size()], 2) + ", expected " +
                              Hex(Checksum(p.command, p.data), 2));
    return Dispatch(at, p);
}

bool CNiimbotDecoder::Dispatch(size_t at, const Packet& p) {
    switch (p.command) {
        case kPageStart:
            if (m_ctx.PageOpen()) return m_ctx.Fail(at, "page start inside a page");
            m_ctx.BeginPage();
            m_sized = false;
            m_nextRow = 0;
            return true;
        case kSetPageSize:
            return PageSize(at, p.data);
        case kEmptyRows:
        case kBitmapRow:
            return Rows(at, p);
        case kPageEnd:
            return EndPage(at);
        case kPrintStatus:
            m_statusQueries++;
            return true;
        case kPrintEnd:
            m_printEnds++;
            return true;
        default:
            return Setting(p);
    }
}

bool CNiimbotDecoder::PageSize(size_t at, std::span<const uint8_t> data) {
    // The generation with the nine-byte print start has no page start: its
    // 13-byte page size begins the page.
    if (!m_ctx.PageOpen() && data.size() == kNinePageSize) {
        m_ctx.BeginPage();
        m_nextRow = 0;
    }
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "page size (13) before the page start (03)");
    if (data.size() < 4)
        return m_ctx.Fail(at, "page size with " + std::to_string(data.size()) +
                                  " data bytes, expected rows and columns");
    m_rows = (data[0] << 8) | data[1];
    m_cols = (data[2] << 8) | data[3];
    if (m_cols == 0 || m_cols % 8 != 0)
        return m_ctx.Fail(at + 6, "page of " + std::to_string(m_cols) +
                                      " columns, expected a non-zero multiple of 8");
    m_sized = true;
    m_ctx.Set("rows x columns", std::to_string(m_rows) + " x " + std::to_string(m_cols));
    if (data.size() >= 6) m_ctx.Set("copies", std::to_string((data[4] << 8) | data[5]));
    return m_ctx.CheckDrawn(m_ctx.Canvas().Resize(m_cols, 0), at);
}

bool CNiimbotDecoder::Rows(size_t at, const Packet& p) {
    if (!m_sized) return m_ctx.Fail(at, "row packet before the page size (13)");
    const bool bitmap = p.command == kBitmapRow;
    const size_t bytes = m_cols / 8;
    const size_t want = bitmap ? 6 + bytes : 3;
    if (p.data.size() != want)
        return m_ctx.Fail(at, "row packet " + Hex(p.command, 2) + " with " +
                                  std::to_string(p.data.size()) + " data bytes, expected " +
                                  std::to_string(want));
    const uint32_t row = (p.data[0] << 8) | p.data[1];
    const uint32_t count = bitmap ? p.data[5] : p.data[2];
    if (row < m_nextRow)
        return m_ctx.Fail(at + 4, "row " + std::to_string(row) + " after row " +
                                      std::to_string(m_nextRow - 1) + ": rows go in order");
    if (count == 0 || row + count > m_rows)
        return m_ctx.Fail(at + 4, "rows " + std::to_string(row) + " to " +
                                      std::to_string(row + count) + " outside the page's " +
                                      std::to_string(m_rows));
    CPageCanvas& canvas = m_ctx.Canvas();
    if (!m_ctx.CheckDrawn(canvas.Resize(m_cols, row + count), at)) return false;
    m_nextRow = row + count;
    if (!bitmap) return true;
    for (uint32_t i = 0; i < count; i++)
        if (!m_ctx.CheckDrawn(
                canvas.Draw(0, row + i, p.data.data() + 6, static_cast<uint32_t>(bytes), 1, true),
                at))
            return false;
    return true;
}

bool CNiimbotDecoder::EndPage(size_t at) {
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "page end (E3) without a page start");
    if (!m_ctx.CheckDrawn(m_ctx.Canvas().Resize(m_cols ? m_cols : 8, m_rows), at)) return false;
    if (m_cols == kSidewaysHeadDots && m_rows > kSidewaysHeadDots && !TurnBack(at)) return false;
    m_ctx.EndPage();
    return true;
}

// Head row y, dot x is the page's dot (y, 95 - x): a quarter turn back.
bool CNiimbotDecoder::TurnBack(size_t at) {
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint32_t rows = canvas.Height(), dots = canvas.Width();
    const std::vector<uint8_t> head = canvas.TakeBits();
    const size_t headBytes = (dots + 7) / 8, pageBytes = (size_t{rows} + 7) / 8;
    std::vector<uint8_t> page(pageBytes * dots, 0);
    for (uint32_t y = 0; y < rows; y++)
        for (uint32_t x = 0; x < dots; x++)
            if ((head[y * headBytes + x / 8] >> (7 - x % 8)) & 1)
                page[(dots - 1 - x) * pageBytes + y / 8] |= static_cast<uint8_t>(0x80 >> (y % 8));
    m_ctx.Set("turned", "a quarter turn back, as designed");
    return m_ctx.CheckDrawn(
               canvas.Draw(0, 0, page.data(), static_cast<uint32_t>(pageBytes), dots, true), at) &&
           m_ctx.CheckDrawn(canvas.Resize(rows, dots), at);
}

bool CNiimbotDecoder::Setting(const Packet& p) {
    const std::string value = HexBytes(p.data.data(), p.data.size());
    switch (p.command) {
        case kSetDensity:
            m_ctx.Set("density", value);
            break;
        case kSetLabelType:
            m_ctx.Set("label type", value);
            break;
        case kPrintStart:
            m_ctx.Set("print start", value);
            break;
        case kPrintQuantity:
            m_ctx.Set("quantity", value);
            break;
        case kPrintClear:
            m_ctx.Set("print clear", value);
            break;
        default:
            m_ctx.Add("other packet", Hex(p.command, 2) + ": " + value);
    }
    return true;
}
}  // namespace

void DecodeNiimbot(CDecodeContext& ctx) {
    CNiimbotDecoder(ctx).Run();
}

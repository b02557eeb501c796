#include "languages/escpos/Decoder.h"

#include <zlib.h>

#include "tools/preview/Inflate.h"
#include "tools/preview/LanguageDecoders.h"

namespace {

uint32_t Le16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Be16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}
uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// ESC/POS receipt streams and the PeriPage dialect, which adds vendor
// commands (10 ...), a deflate bitmap (1F 00) and explicit page ends.
class CEscPosDecoder {
public:
    CEscPosDecoder(CDecodeContext& ctx, bool periPage) : m_ctx(ctx), m_periPage(periPage) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    bool GroupSeparator(size_t& pos);
    bool Vendor(size_t& pos);
    bool Raster(size_t& pos);
    bool Deflated(size_t& pos);
    bool Feed(uint32_t dots);
    bool DrawPendingFeed(size_t at);
    // Has the page put anything on paper, dots or feed?
    bool PagePrinted() const { return m_ctx.PageHasBitmap() || m_pendingFeed > 0; }
    void NewPage(size_t at);
    bool DrawBand(size_t at, const uint8_t* rows, uint32_t rowBytes, uint32_t rowCount);
    bool Unknown(size_t pos, size_t count);

    CDecodeContext& m_ctx;
    bool m_periPage;
    // Feeds not drawn yet: white rows above the next band, or at the bottom
    // of a page that has a band.
    uint64_t m_pendingFeed = 0;
};

void CEscPosDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) {
        if (!m_ctx.PageOpen()) NewPage(pos);
        Command(pos);
    }
    DrawPendingFeed(m_ctx.Size());
    if (!m_ctx.Failed() && m_periPage && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected the end of page 10 FF FE 45");
    m_ctx.Finish();
}

bool CEscPosDecoder::Unknown(size_t pos, size_t count) {
    size_t n = std::min(count, m_ctx.Left(pos));
    return m_ctx.Fail(pos, "unknown command " + HexBytes(m_ctx.Data() + pos, n));
}

bool CEscPosDecoder::Command(size_t& pos) {
    uint8_t b = m_ctx.Data()[pos];
    if (b == 0x00) {  // NUL, as after ESC @ in the three-byte initialisation
        pos++;
        return true;
    }
    if (b == 0x1B) return Escape(pos);
    if (b == 0x1D) return GroupSeparator(pos);
    if (m_periPage && b == 0x10) return Vendor(pos);
    if (m_periPage && b == 0x1F) return Deflated(pos);
    return Unknown(pos, 1);
}

bool CEscPosDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    switch (d[1]) {
        case 0x40:  // ESC @: a new receipt starts when the current one printed
            if (!m_periPage && PagePrinted()) NewPage(pos);
            pos += 2;
            return true;
        case 0x61:  // ESC a n
            if (!m_ctx.Need(pos, 3, "ESC a alignment")) return false;
            m_ctx.Set("align", d[2] == 0 || d[2] == '0'   ? "left"
                               : d[2] == 1 || d[2] == '1' ? "center"
                               : d[2] == 2 || d[2] == '2' ? "right"
                                                          : "unknown " + Hex(d[2], 2));
            pos += 3;
            return true;
        case 0x4A:  // ESC J n
            if (!m_ctx.Need(pos, 3, "ESC J feed")) return false;
            pos += 3;
            return Feed(d[2]);
        case 0x64:  // ESC d n: feed n text lines (what identify sends); their
                    // height is the printer's line spacing, so no rows are drawn
            if (!m_ctx.Need(pos, 3, "ESC d feed")) return false;
            m_ctx.AddAmount("feed", d[2], "lines");
            pos += 3;
            return true;
        case 0x70:  // ESC p m t1 t2; a pulse right before ESC @ belongs to that receipt
            if (!m_ctx.Need(pos, 5, "ESC p drawer pulse")) return false;
            if (!m_periPage && PagePrinted() && m_ctx.Left(pos + 5) >= 2 && d[5] == 0x1B &&
                d[6] == 0x40)
                NewPage(pos);
            m_ctx.Add("drawer pulse", m_ctx.PageHasBitmap() ? "after printing" : "before printing");
            pos += 5;
            return true;
        default:
            return Unknown(pos, 2);
    }
}

bool CEscPosDecoder::GroupSeparator(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "a GS command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0x76) return Raster(pos);
    if (d[1] == 0x0C) {  // GS FF: feed to the next label or mark
        m_ctx.Set("form feed", "to the next label");
        pos += 2;
        return true;
    }
    if (d[1] != 0x56) return Unknown(pos, 2);
    if (!m_ctx.Need(pos, 3, "GS V cut")) return false;
    uint8_t m = d[2];
    if (m == 0x00 || m == 0x30 || m == 0x01 || m == 0x31) {
        m_ctx.Add("cut", (m & 1) ? "partial" : "full");
        pos += 3;
        return true;
    }
    if (m == 0x41 || m == 0x42) {
        if (!m_ctx.Need(pos, 4, "GS V cut with feed")) return false;
        m_ctx.Add("cut", std::string(m == 0x42 ? "partial" : "full") + " after feeding " +
                             std::to_string(d[3]) + " dots");
        pos += 4;
        return true;
    }
    return Unknown(pos, 3);
}

// Paper fed inside a page is white paper in the printout: feeds become white
// rows when a band follows or the page ends after one.
bool CEscPosDecoder::Feed(uint32_t dots) {
    m_ctx.AddAmount(m_ctx.PageHasBitmap() ? "feed after" : "feed before", dots, "dots");
    m_pendingFeed += dots;
    return true;
}

bool CEscPosDecoder::DrawPendingFeed(size_t at) {
    const uint64_t rows = m_pendingFeed;
    m_pendingFeed = 0;
    if (rows == 0 || !m_ctx.PageHasBitmap()) return true;
    return m_ctx.CheckDrawn(m_ctx.Canvas().AddWhiteRows(rows), at);
}

void CEscPosDecoder::NewPage(size_t at) {
    DrawPendingFeed(at);
    m_ctx.BeginPage();
    m_pendingFeed = 0;
}

bool CEscPosDecoder::DrawBand(size_t at, const uint8_t* rows, uint32_t rowBytes,
                              uint32_t rowCount) {
    CPageCanvas& canvas = m_ctx.Canvas();
    if (m_pendingFeed > 0 && !m_ctx.CheckDrawn(canvas.AddWhiteRows(m_pendingFeed), at))
        return false;
    m_pendingFeed = 0;
    m_ctx.AddAmount("raster", rowCount, "rows");
    return m_ctx.CheckDrawn(canvas.Append(rows, rowBytes, rowCount, true), at);
}

// GS v 0 m xL xH yL yH data
bool CEscPosDecoder::Raster(size_t& pos) {
    if (!m_ctx.Need(pos, 8, "the GS v 0 header")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[2] != 0x30) return Unknown(pos, 3);
    uint8_t m = d[3] & 0x0F;
    if (m > 3 || (d[3] != m && d[3] != 0x30 + m))
        return m_ctx.Fail(pos + 3, "unknown GS v 0 mode " + Hex(d[3], 2));
    static const char* const kScale[] = {"normal", "double width", "double height",
                                         "double width and height"};
    m_ctx.Set("raster scale", kScale[m]);
    uint32_t rowBytes = Le16(d + 4), rows = Le16(d + 6);
    size_t bytes = size_t{rowBytes} * rows;
    if (!m_ctx.Canvas().Fits(uint64_t{rowBytes} * 8, uint64_t{m_ctx.Canvas().Height()} + rows))
        return m_ctx.CheckDrawn(false, pos);
    if (!m_ctx.Need(pos + 8, bytes, "GS v 0 raster data")) return false;
    if (m_periPage) m_ctx.Set("compression", "none");
    if (!DrawBand(pos, d + 8, rowBytes, rows)) return false;
    pos += 8 + bytes;
    return true;
}

// 1F 00 wH wL hH hL L3 L2 L1 L0, then L bytes: raw deflate data and the
// big-endian Adler-32 of the bitmap.
bool CEscPosDecoder::Deflated(size_t& pos) {
    if (!m_ctx.Need(pos, 10, "the compressed bitmap header 1F 00 ...")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] != 0x00) return Unknown(pos, 2);
    uint32_t rowBytes = Be16(d + 2), rows = Be16(d + 4), length = Be32(d + 6);
    size_t bytes = size_t{rowBytes} * rows;
    if (!m_ctx.Canvas().Fits(uint64_t{rowBytes} * 8, uint64_t{m_ctx.Canvas().Height()} + rows))
        return m_ctx.CheckDrawn(false, pos);
    if (length < 4)
        return m_ctx.Fail(pos + 6, "compressed bitmap length " + std::to_string(length) +
                                       " leaves no room for its Adler-32");
    if (!m_ctx.Need(pos + 10, length, "compressed bitmap data")) return false;
    std::vector<uint8_t> bits;
    size_t used = 0;
    std::string error =
        InflateExact(d + 10, length - 4, InflateFormat::RawDeflate, bytes, bits, used);
    if (error.empty() && used != length - 4)
        error = "deflate data ends after " + std::to_string(used) + " of its " +
                std::to_string(length - 4) + " bytes";
    if (!error.empty()) return m_ctx.Fail(pos + 10, "compressed bitmap: " + error);
    uint32_t stated = Be32(d + 10 + length - 4);
    uint32_t actual = static_cast<uint32_t>(adler32(1, bits.data(), static_cast<uInt>(bytes)));
    if (stated != actual)
        return m_ctx.Fail(pos + 10 + length - 4, "compressed bitmap Adler-32 is " + Hex(stated, 8) +
                                                     ", the data gives " + Hex(actual, 8));
    m_ctx.Set("compression", "deflate, " + std::to_string(length) + " bytes, Adler-32 ok");
    if (!DrawBand(pos, bits.data(), rowBytes, rows)) return false;
    pos += 10 + length;
    return true;
}

// PeriPage vendor commands: 10 FF FE 01 start, 10 FF FE 45 end of page,
// 10 FF 10 03 m media, 10 FF 10 00 v density, 10 50 cut line.
bool CEscPosDecoder::Vendor(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "a vendor command 10 ...")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0x50) {
        m_ctx.Add("cut line", "yes");
        pos += 2;
        return true;
    }
    if (d[1] != 0xFF || !m_ctx.Need(pos, 4, "a vendor command 10 FF ...")) return Unknown(pos, 2);
    if (d[2] == 0xFE && (d[3] == 0x01 || d[3] == 0x45)) {
        if (d[3] == 0x45) {
            if (!DrawPendingFeed(pos)) return false;
            m_ctx.EndPage();
        } else if (m_ctx.PageHasBitmap()) {
            return m_ctx.Fail(pos, "expected the end of page 10 FF FE 45 before a new page");
        }
        pos += 4;
        return true;
    }
    if (d[2] != 0x10 || (d[3] != 0x03 && d[3] != 0x00)) return Unknown(pos, 4);
    if (!m_ctx.Need(pos, 5, "the value of 10 FF 10 ...")) return false;
    if (d[3] == 0x00) {
        m_ctx.Set("density", std::to_string(d[4]));
    } else {
        static const char* const kMedia[] = {"black mark", "continuous or roll", "gap",
                                             "perforated"};
        m_ctx.Set("media", d[4] < 4 ? kMedia[d[4]] : "unknown " + Hex(d[4], 2));
    }
    pos += 5;
    return true;
}

}  // namespace

void DecodeEscPosStream(CDecodeContext& ctx, bool periPage) {
    CEscPosDecoder(ctx, periPage).Run();
}

void DecodeEscPos(CDecodeContext& ctx) {
    DecodeEscPosStream(ctx, false);
}

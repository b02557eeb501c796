// Star raster mode: ESC * r commands carry their number as ASCII digits and
// a NUL; `b n1 n2` prints a dot row and moves down, `k n1 n2` adds dots to
// the row without moving; ESC * r Y n NUL moves down n white rows. ESC FF
// NUL ends a page (FF mode), ESC FF EOT the document (EOT mode). FS, BEL,
// SUB and EM kick the cash drawers; ESC ACK SOH asks for the status.

#include <algorithm>
#include <vector>

#include "tools/preview/LanguageDecoders.h"

namespace {
constexpr size_t kMaxDigits = 5;

// What an EOT or FF mode does after the page.
std::string ModeAction(uint32_t n) {
    switch (n) {
        case 0:
            return "printer default";
        case 1:
            return "form feed";
        case 2:
            return "feed to the cutter";
        case 3:
            return "feed to the tear bar";
        case 8:
            return "full cut";
        case 9:
            return "feed to the cutter, full cut";
        case 12:
            return "partial cut";
        case 13:
            return "feed to the cutter, partial cut";
        case 36:
        case 37:
            return "full cut and eject";
        default:
            return "mode " + std::to_string(n);
    }
}

class CStarDecoder {
public:
    explicit CStarDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    bool Raster(size_t& pos);
    bool Number(size_t& pos, uint32_t& n);
    bool Setting(size_t at, char command, uint32_t n);
    bool Row(size_t& pos, bool advance);
    bool EndPage(bool document);
    void OpenPage();

    CDecodeContext& m_ctx;
    std::vector<uint8_t> m_row;  // dots of the row not printed yet (k)
    uint32_t m_eotMode = 0, m_ffMode = 0;
    bool m_rasterMode = false;
};

void CStarDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Command(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected ESC FF EOT: the stream ends inside a page");
    m_ctx.Finish();
}

void CStarDecoder::OpenPage() {
    if (!m_ctx.PageOpen()) m_ctx.BeginPage();
}

bool CStarDecoder::Command(size_t& pos) {
    const uint8_t b = m_ctx.Data()[pos];
    switch (b) {
        case 0x1B:
            return Escape(pos);
        case 'b':
        case 'k':
            return Row(pos, b == 'b');
        case 0x07:
        case 0x1A:
            m_ctx.Add("drawer", b == 0x07 ? "1 when printing" : "2 when printing");
            pos++;
            return true;
        case 0x1C:
        case 0x19:
            m_ctx.Add("drawer", b == 0x1C ? "1 at once" : "2 at once");
            pos++;
            return true;
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(m_ctx.Data() + pos, 1));
    }
}

bool CStarDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 3, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == '*' && d[2] == 'r') return Raster(pos);
    if (d[1] == 0x0C && (d[2] == 0x00 || d[2] == 0x04)) {
        pos += 3;
        return EndPage(d[2] == 0x04);
    }
    if (d[1] == 0x06 && d[2] == 0x01) {
        m_ctx.SetStream("status query", "ESC ACK SOH");
        pos += 3;
        return true;
    }
    return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
}

// ESC * r and its letter; the margins are ESC * r m l / m r.
bool CStarDecoder::Raster(size_t& pos) {
    if (!m_ctx.Need(pos, 4, "an ESC * r command")) return false;
    const size_t at = pos;
    const uint8_t* d = m_ctx.Data() + pos;
    char command = static_cast<char>(d[3]);
    pos += 4;
    switch (command) {
        case 'A':
        case 'R':
            m_rasterMode = true;
            m_eotMode = m_ffMode = 0;
            return true;
        case 'B':
            if (m_ctx.PageOpen()) EndPage(true);
            m_rasterMode = false;
            return true;
        case 'C':
            m_row.clear();
            return true;
        case 'm':
            if (!m_ctx.Need(pos, 1, "ESC * r m l or m r")) return false;
            command = m_ctx.Data()[pos] == 'l' ? 'l' : m_ctx.Data()[pos] == 'r' ? 'r' : 0;
            if (!command) return m_ctx.Fail(at, "unknown command " + HexBytes(d, 5));
            pos++;
            break;
        case 'D':
        case 'E':
        case 'F':
        case 'K':
        case 'N':
        case 'P':
        case 'Q':
        case 'T':
        case 'Y':
            break;
        default:
            return m_ctx.Fail(at, "unknown command " + HexBytes(d, 4));
    }
    uint32_t n = 0;
    return Number(pos, n) && Setting(at, command, n);
}

// Decimal ASCII digits ended by NUL.
bool CStarDecoder::Number(size_t& pos, uint32_t& n) {
    const size_t at = pos;
    n = 0;
    for (size_t digits = 0;; digits++) {
        if (!m_ctx.Need(pos, 1, "the ASCII number of an ESC * r command")) return false;
        const uint8_t c = m_ctx.Data()[pos++];
        if (c == 0x00 && digits > 0) return true;
        if (c < '0' || c > '9' || digits == kMaxDigits)
            return m_ctx.Fail(at, "expected ASCII digits and NUL, found " +
                                      HexBytes(m_ctx.Data() + at, pos - at));
        n = n * 10 + (c - '0');
    }
}

bool CStarDecoder::Setting(size_t at, char command, uint32_t n) {
    if (!m_rasterMode) return m_ctx.Fail(at, "ESC * r command outside raster mode");
    switch (command) {
        case 'E':
            m_eotMode = n;
            m_ctx.Set("end of document", ModeAction(n));
            return true;
        case 'F':
            m_ffMode = n;
            m_ctx.Set("end of page", ModeAction(n));
            return true;
        case 'Y':
            OpenPage();
            m_ctx.AddAmount("blank rows", n, "rows");
            return m_ctx.CheckDrawn(m_ctx.Canvas().AddWhiteRows(n), at);
        case 'P':
            m_ctx.Set("page length", n == 0 ? "continuous" : std::to_string(n) + " rows");
            return true;
        case 'Q':
            m_ctx.Set("quality", std::to_string(n));
            return true;
        case 'l':
        case 'r':
            m_ctx.Set(command == 'l' ? "left margin" : "right margin", std::to_string(n * 8));
            return true;
        default:
            m_ctx.Set(std::string("ESC * r ") + command, std::to_string(n));
            return true;
    }
}

bool CStarDecoder::Row(size_t& pos, bool advance) {
    if (!m_ctx.Need(pos, 3, "a raster row's count")) return false;
    const size_t at = pos;
    const uint8_t* d = m_ctx.Data() + pos;
    const uint32_t bytes = d[1] | (d[2] << 8);
    if (!m_ctx.Need(pos + 3, bytes, "the bytes of a raster row")) return false;
    if (!m_rasterMode) return m_ctx.Fail(at, "raster row outside raster mode");
    pos += 3 + bytes;
    if (m_row.size() < bytes) m_row.resize(bytes, 0);
    for (uint32_t i = 0; i < bytes; i++) m_row[i] |= d[3 + i];
    if (!advance) return true;
    OpenPage();
    CPageCanvas& canvas = m_ctx.Canvas();
    const bool drawn = m_row.empty() ? canvas.AddWhiteRows(1)
                                     : canvas.Draw(0, canvas.Height(), m_row.data(),
                                                   static_cast<uint32_t>(m_row.size()), 1, true);
    m_row.clear();
    m_ctx.AddAmount("raster rows", 1, "rows");
    return m_ctx.CheckDrawn(drawn, at);
}

// The page ends with the FF or EOT action; ESC * r B ends a document that
// has rows left.
bool CStarDecoder::EndPage(bool document) {
    const std::string action = ModeAction(document ? m_eotMode : m_ffMode);
    if (!m_ctx.PageOpen()) {
        m_ctx.Add("feed", action);
        return true;
    }
    m_ctx.EndPage();
    m_ctx.Set(document ? "end of document" : "end of page", action);
    return true;
}
}  // namespace

void DecodeStar(CDecodeContext& ctx) {
    CStarDecoder(ctx).Run();
}

// Phomemo: ESC @, ESC a n, the vendor commands 1F 11 (heat setting, media
// type, status queries), ESC N 0D / 04 (speed and density) and GS v 0
// raster blocks, which add rows to the page. An M02 page ends with ESC d n
// (print and feed), a label with the 1F F0 feeds. ESC J n feeds dots.

#include <string>

#include "tools/preview/LanguageDecoders.h"

namespace {
// What the status queries (1F 11 tt) ask for.
std::string QueryName(uint8_t type) {
    switch (type) {
        case 0x07:
            return "firmware";
        case 0x08:
            return "battery";
        case 0x09:
            return "serial number";
        case 0x0E:
            return "auto-off timer";
        case 0x11:
            return "paper";
        case 0x12:
            return "lid";
        case 0x13:
            return "hardware";
        default:
            return "";
    }
}

std::string MediaName(uint8_t type) {
    switch (type) {
        case 0x0A:
            return "labels with gaps";
        case 0x0B:
            return "continuous";
        case 0x26:
            return "black mark";
        default:
            return "";
    }
}

class CPhomemoDecoder {
public:
    explicit CPhomemoDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    bool Vendor(size_t& pos);
    bool Raster(size_t& pos);
    void EndPage(const std::string& how);

    CDecodeContext& m_ctx;
};

void CPhomemoDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Command(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected ESC d or 1F F0: the stream ends inside a page");
    m_ctx.Finish();
}

bool CPhomemoDecoder::Command(size_t& pos) {
    switch (m_ctx.Data()[pos]) {
        case 0x1B:
            return Escape(pos);
        case 0x1F:
            return Vendor(pos);
        case 0x1D:
            return Raster(pos);
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(m_ctx.Data() + pos, 1));
    }
}

void CPhomemoDecoder::EndPage(const std::string& how) {
    if (m_ctx.PageOpen()) {
        m_ctx.EndPage();
        m_ctx.Set("end of page", how);
    } else {
        m_ctx.Add("feed", how);
    }
}

bool CPhomemoDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0x40) {
        pos += 2;
        m_ctx.Add("initialise", "ESC @");
        return true;
    }
    if (!m_ctx.Need(pos, 3, "an ESC command")) return false;
    switch (d[1]) {
        case 0x61:
            m_ctx.Set("align", d[2] == 1 ? "centre" : d[2] == 2 ? "right" : "left");
            pos += 3;
            return true;
        case 0x64:
            EndPage("print and feed " + std::to_string(d[2]) + " lines");
            pos += 3;
            return true;
        case 0x4A:
            m_ctx.AddAmount("feed", d[2], "dots");
            pos += 3;
            return true;
        case 0x4E:
            if (!m_ctx.Need(pos, 4, "ESC N and its value")) return false;
            if (d[2] == 0x0D || d[2] == 0x04) {
                m_ctx.Set(d[2] == 0x0D ? "speed" : "density", std::to_string(d[3]));
                pos += 4;
                return true;
            }
            break;
        default:
            break;
    }
    return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
}

// 1F 11 02 n: the heat setting; 1F 11 tt: media type or a status query;
// 1F F0 n 00: the feeds after a label.
bool CPhomemoDecoder::Vendor(size_t& pos) {
    if (!m_ctx.Need(pos, 3, "a 1F command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0xF0) {
        if (!m_ctx.Need(pos, 4, "1F F0 and its values")) return false;
        EndPage("feed " + Hex(d[2], 2) + " " + Hex(d[3], 2));
        pos += 4;
        return true;
    }
    if (d[1] != 0x11) return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
    if (d[2] == 0x02) {
        if (!m_ctx.Need(pos, 4, "1F 11 02 and its value")) return false;
        m_ctx.Set("heat", std::to_string(d[3]));
        pos += 4;
        return true;
    }
    if (const std::string media = MediaName(d[2]); !media.empty()) {
        m_ctx.Set("media", media);
    } else if (const std::string query = QueryName(d[2]); !query.empty()) {
        m_ctx.Add("status query", query);
    } else {
        return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
    }
    pos += 3;
    return true;
}

bool CPhomemoDecoder::Raster(size_t& pos) {
    if (!m_ctx.Need(pos, 8, "GS v 0 and its size")) return false;
    const size_t at = pos;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] != 0x76 || d[2] != 0x30) return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
    if (d[3] != 0) return m_ctx.Fail(pos + 3, "unknown GS v 0 mode " + Hex(d[3], 2));
    const uint32_t rowBytes = d[4] | (d[5] << 8), rows = d[6] | (d[7] << 8);
    const size_t length = size_t{rowBytes} * rows;
    if (!m_ctx.Need(pos + 8, length, "the rows of a GS v 0 block")) return false;
    pos += 8 + length;
    if (!m_ctx.PageOpen()) m_ctx.BeginPage();
    m_ctx.AddAmount("raster", rows, "rows");
    return m_ctx.CheckDrawn(m_ctx.Canvas().Append(d + 8, rowBytes, rows, true), at);
}
}  // namespace

void DecodePhomemo(CDecodeContext& ctx) {
    CPhomemoDecoder(ctx).Run();
}

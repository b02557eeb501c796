// DYMO LabelWriter: ESC commands set the label's place on the head (ESC B,
// ESC D), its length, resolution and density; SYN sends a dot line as bytes,
// ETB as runs (bit 7 the colour, bits 0-6 the length - 1) that must cover
// the line exactly; ESC f 1 n feeds n white lines. ESC G ends a label,
// ESC E the last one.

#include <algorithm>
#include <vector>

#include "tools/preview/LanguageDecoders.h"

namespace {
constexpr uint32_t kDefaultLineBytes = 84;  // the 672-dot head of the 400 and 450 series

class CDymoDecoder {
public:
    explicit CDymoDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    bool Setting(size_t at, uint8_t command, const uint8_t* n);
    bool Bytes(size_t& pos);
    bool Runs(size_t& pos);
    bool DrawLine(size_t at);
    bool EndLabel(bool last);
    void OpenPage();

    CDecodeContext& m_ctx;
    uint32_t m_lineBytes = kDefaultLineBytes;
    std::vector<uint8_t> m_line;
    uint32_t m_lines = 0;  // of the open label
    bool m_ended = false;
};

void CDymoDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Command(pos);
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected ESC G or ESC E: the stream ends inside a label");
    if (!m_ctx.Failed() && !m_ended)
        m_ctx.Fail(m_ctx.Size(), "expected ESC E after the last label");
    m_ctx.Finish();
}

void CDymoDecoder::OpenPage() {
    if (m_ctx.PageOpen()) return;
    m_ctx.BeginPage();
    m_lines = 0;
}

bool CDymoDecoder::Command(size_t& pos) {
    switch (m_ctx.Data()[pos]) {
        case 0x1B:
            return Escape(pos);
        case 0x16:
            return Bytes(pos);
        case 0x17:
            return Runs(pos);
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(m_ctx.Data() + pos, 1));
    }
}

bool CDymoDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    const size_t at = pos;
    size_t params = 0;
    switch (d[1]) {
        case 0x40:
        case 0x41:
        case 0x45:
        case 0x47:
        case 0x63:
        case 0x64:
        case 0x65:
        case 0x67:
        case 0x68:
        case 0x69:
            params = 0;
            break;
        case 0x42:
        case 0x44:
            params = 1;
            break;
        case 0x4C:
        case 0x66:
            params = 2;
            break;
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 2));
    }
    if (!m_ctx.Need(pos, 2 + params, "the parameters of the ESC command")) return false;
    pos += 2 + params;
    if (d[1] == 0x40 || d[1] == 0x41) return true;
    if (d[1] == 0x47 || d[1] == 0x45) return EndLabel(d[1] == 0x45);
    return Setting(at, d[1], d + 2);
}

bool CDymoDecoder::Setting(size_t at, uint8_t command, const uint8_t* n) {
    OpenPage();
    switch (command) {
        case 0x42:
            m_ctx.Set("dot tab", std::to_string(n[0]) + " bytes");
            return true;
        case 0x44:
            if (n[0] == 0) return m_ctx.Fail(at, "ESC D of 0 bytes per line");
            m_lineBytes = n[0];
            m_ctx.Set("bytes per line", std::to_string(n[0]));
            return true;
        case 0x4C:
            m_ctx.Set("label length", std::to_string((n[0] << 8) | n[1]) + " lines");
            return true;
        case 0x66:
            if (n[0] != 0x01)
                return m_ctx.Fail(at, "ESC f with " + HexBytes(n, 1) + ", expected 01");
            m_ctx.AddAmount("feed", n[1], "lines");
            if (!m_ctx.CheckDrawn(
                    m_ctx.Canvas().Resize(std::max(m_ctx.Canvas().Width(), m_lineBytes * 8),
                                          m_ctx.Canvas().Height() + n[1]),
                    at))
                return false;
            return true;
        case 0x68:
        case 0x69:
            m_ctx.Set("resolution", command == 0x69 ? "300x600 dpi" : "300 dpi");
            return true;
        default: {
            static const char* const kNames[] = {"light", "medium", "normal", "", "dark"};
            m_ctx.Set("density", kNames[command - 0x63]);
            return true;
        }
    }
}

bool CDymoDecoder::Bytes(size_t& pos) {
    if (!m_ctx.Need(pos + 1, m_lineBytes, "the bytes of a SYN line")) return false;
    m_line.assign(m_ctx.Data() + pos + 1, m_ctx.Data() + pos + 1 + m_lineBytes);
    const size_t at = pos;
    pos += 1 + m_lineBytes;
    return DrawLine(at);
}

// Runs until they cover the line; one that reaches past it is an error.
bool CDymoDecoder::Runs(size_t& pos) {
    const size_t at = pos++;
    const uint32_t dots = m_lineBytes * 8;
    m_line.assign(m_lineBytes, 0);
    uint32_t x = 0;
    while (x < dots) {
        if (!m_ctx.Need(pos, 1, "a run of the ETB line")) return false;
        const uint8_t run = m_ctx.Data()[pos++];
        const uint32_t n = (run & 0x7F) + 1u;
        if (x + n > dots)
            return m_ctx.Fail(at, "ETB runs add up to " + std::to_string(x + n) +
                                      " dots, the line has " + std::to_string(dots));
        if (run & 0x80)
            for (uint32_t i = x; i < x + n; i++)
                m_line[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
        x += n;
    }
    return DrawLine(at);
}

bool CDymoDecoder::DrawLine(size_t at) {
    OpenPage();
    CPageCanvas& canvas = m_ctx.Canvas();
    m_ctx.Set("dot lines", std::to_string(++m_lines));
    return m_ctx.CheckDrawn(canvas.Draw(0, canvas.Height(), m_line.data(), m_lineBytes, 1, true),
                            at);
}

bool CDymoDecoder::EndLabel(bool last) {
    // Outside a label the printer only feeds (identify sends ESC @ ESC E).
    if (!m_ctx.PageOpen()) {
        m_ctx.Add("feed", last ? "to the tear position" : "to the next label");
        m_ended = last;
        return true;
    }
    m_ctx.EndPage();
    m_ended = last;
    return true;
}

}  // namespace

void DecodeDymo(CDecodeContext& ctx) {
    CDymoDecoder(ctx).Run();
}

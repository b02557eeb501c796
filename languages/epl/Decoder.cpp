// EPL2: N clears the image buffer, q and Q give the label's width and
// length, GW draws binary rows (a clear bit prints black), P prints.

#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

namespace {

class CEplDecoder {
public:
    explicit CEplDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Line(size_t at, const std::string& line);
    bool LabelLength(size_t at, const std::string& params);
    bool Graphic(size_t& pos);
    bool Print(size_t at, const std::string& quantity);

    CDecodeContext& m_ctx;
    int64_t m_width = -1, m_length = -1;
};

void CEplDecoder::Run() {
    size_t pos = 0;
    while (!m_ctx.Failed()) {
        pos = SkipBlank(m_ctx, pos);
        if (pos >= m_ctx.Size()) break;
        // xa (AutoSense) measures the labels at once, outside any label.
        if (!m_ctx.PageOpen() && StartsWith(m_ctx, pos, "xa") &&
            (m_ctx.Left(pos + 2) == 0 || m_ctx.Data()[pos + 2] == '\r' ||
             m_ctx.Data()[pos + 2] == '\n')) {
            std::string line;
            if (ReadLine(m_ctx, pos, line)) m_ctx.Add("calibration", "automatic");
            continue;
        }
        if (!m_ctx.PageOpen()) {
            m_ctx.BeginPage();
            m_width = m_length = -1;
        }
        if (StartsWith(m_ctx, pos, "GW")) {
            Graphic(pos);
            continue;
        }
        size_t at = pos;
        std::string line;
        if (ReadLine(m_ctx, pos, line)) Line(at, line);
    }
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected P: the stream ends inside a label");
    m_ctx.Finish();
}

bool CEplDecoder::Line(size_t at, const std::string& line) {
    if (line.empty()) return true;
    const std::string params = line.substr(1);
    int64_t n = 0;
    switch (line[0]) {
        case 'N':
            if (line.size() != 1) break;
            m_ctx.Canvas().Clear();
            return true;
        case 'q':
            if (!WordNumber(params, n) || n < 0) break;
            m_width = n;
            m_ctx.Set("label width", params + " dots");
            return true;
        case 'Q':
            return LabelLength(at, params);
        case 'D':
            m_ctx.Set("density", params);
            return true;
        case 'S':
            m_ctx.Set("speed", params);
            return true;
        case 'P':
            return Print(at, params);
        case 'O':
            m_ctx.Set("options", params.find('C') != std::string::npos ? "cutter" : params);
            return true;
        default:
            break;
    }
    m_ctx.Add("other command", line);
    return true;
}

// Q<length>,<gap>[,<offset>]; the gap is B<mark> for black mark media and 0
// for continuous media.
bool CEplDecoder::LabelLength(size_t at, const std::string& params) {
    std::vector<std::string> f;
    for (size_t start = 0;;) {
        size_t comma = params.find(',', start);
        f.push_back(params.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    int64_t gap = 0;
    const bool mark = f.size() > 1 && !f[1].empty() && f[1][0] == 'B';
    if (f.size() < 2 || f.size() > 3 || !WordNumber(f[0], m_length) || m_length < 0 ||
        !WordNumber(mark ? f[1].substr(1) : f[1], gap))
        return m_ctx.Fail(at, "expected \"Qlength,gap[,offset]\"");
    m_ctx.Set("label length", f[0] + " dots");
    m_ctx.Set("media", gap == 0 && !mark
                           ? std::string("continuous")
                           : (mark ? "black mark " : "gap ") + std::to_string(gap) + " dots");
    if (f.size() == 3) m_ctx.Set("media offset", f[2] + " dots");
    return true;
}

// GWx,y,bytesPerRow,rows, a line end, then the rows.
bool CEplDecoder::Graphic(size_t& pos) {
    const size_t at = pos;
    pos += 2;
    int64_t v[4];
    const char* names[4] = {"GW x", "GW y", "GW bytes per row", "GW rows"};
    for (int i = 0; i < 4; i++) {
        if (!ReadNumber(m_ctx, pos, v[i], names[i])) return false;
        if (i < 3 && !ExpectChar(m_ctx, pos, ',', "after the number")) return false;
        if (v[i] < 0) return m_ctx.Fail(at, std::string(names[i]) + " is negative");
    }
    if (!ExpectLineEnd(m_ctx, pos, "the GW command")) return false;
    const uint64_t bytes = static_cast<uint64_t>(v[2]) * static_cast<uint64_t>(v[3]);
    if (!m_ctx.Canvas().Fits(static_cast<uint64_t>(v[0] + v[2] * 8),
                             static_cast<uint64_t>(v[1] + v[3])))
        return m_ctx.CheckDrawn(false, at);
    if (!m_ctx.Need(pos, bytes, "GW graphic data")) return false;
    const bool drawn =
        m_ctx.Canvas().Draw(v[0], v[1], m_ctx.Data() + pos, static_cast<uint32_t>(v[2]),
                            static_cast<uint32_t>(v[3]), false);
    pos += bytes;
    return m_ctx.CheckDrawn(drawn, at);
}

// The printed label is q wide and Q long (else as large as its graphics).
bool CEplDecoder::Print(size_t at, const std::string& quantity) {
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint64_t width = m_width >= 0 ? static_cast<uint64_t>(m_width) : canvas.Width();
    const uint64_t height = m_length >= 0 ? static_cast<uint64_t>(m_length) : canvas.Height();
    if (!m_ctx.CheckDrawn(canvas.Resize(width, height), at)) return false;
    m_ctx.Set("quantity", quantity);
    m_ctx.EndPage();
    return true;
}

}  // namespace

void DecodeEpl(CDecodeContext& ctx) {
    CEplDecoder(ctx).Run();
}

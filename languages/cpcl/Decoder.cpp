#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

namespace {

class CCpclDecoder {
public:
    explicit CCpclDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t lineStart, size_t& pos, const std::string& line);
    bool Header(size_t at, const std::vector<std::string>& words);
    bool Graphics(size_t at, size_t& pos, const std::vector<std::string>& words);
    bool Print(size_t at);

    CDecodeContext& m_ctx;
    int64_t m_labelHeight = 0;
    int64_t m_pageWidth = -1;  // -1: no PAGE-WIDTH, the graphics set the width
};

void CCpclDecoder::Run() {
    size_t pos = 0;
    while (!m_ctx.Failed()) {
        pos = SkipBlank(m_ctx, pos);
        if (pos >= m_ctx.Size()) break;
        size_t lineStart = pos;
        std::string line;
        if (ReadLine(m_ctx, pos, line)) Command(lineStart, pos, line);
    }
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected PRINT: the stream ends inside a label");
    m_ctx.Finish();
}

bool CCpclDecoder::Command(size_t lineStart, size_t& pos, const std::string& line) {
    std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return true;
    const std::string& word = words[0];
    if (word == "!") return Header(lineStart, words);
    if (!m_ctx.PageOpen()) return m_ctx.Fail(lineStart, "expected a label header \"! ...\"");
    int64_t n = 0;
    if ((word == "PAGE-WIDTH" || word == "PW") && words.size() == 2 && WordNumber(words[1], n) &&
        n >= 0) {
        m_pageWidth = n;
        m_ctx.Set("page width", words[1] + " dots");
    } else if (word == "CG" || word == "COMPRESSED-GRAPHICS") {
        return Graphics(lineStart, pos, words);
    } else if (word == "FORM") {
        m_ctx.Set("form", "feed to the next label");
    } else if (word == "PRINT") {
        return Print(lineStart);
    } else {
        m_ctx.Add("other command", line);
    }
    return true;
}

// ! offset xDpi yDpi height quantity
bool CCpclDecoder::Header(size_t at, const std::vector<std::string>& words) {
    if (m_ctx.PageOpen()) return m_ctx.Fail(at, "expected PRINT before the next label header");
    int64_t v[5];
    bool ok = words.size() == 6;
    for (size_t i = 0; ok && i < 5; i++) ok = WordNumber(words[i + 1], v[i]);
    if (!ok || v[3] < 0)
        return m_ctx.Fail(at, "expected the label header \"! offset xdpi ydpi height quantity\"");
    m_ctx.BeginPage();
    m_labelHeight = v[3];
    m_pageWidth = -1;
    m_ctx.Set("offset", words[1]);
    m_ctx.Set("resolution", words[2] + " x " + words[3] + " dpi");
    m_ctx.Set("label height", words[4] + " dots");
    m_ctx.Set("quantity", words[5]);
    return true;
}

// CG widthBytes height x y, then widthBytes × height raw bytes (set bit = dot)
bool CCpclDecoder::Graphics(size_t at, size_t& pos, const std::vector<std::string>& words) {
    int64_t v[4];
    bool ok = words.size() == 5;
    for (size_t i = 0; ok && i < 4; i++) ok = WordNumber(words[i + 1], v[i]) && v[i] >= 0;
    if (!ok) return m_ctx.Fail(at, "expected \"CG widthBytes height x y\"");
    uint64_t bytes = static_cast<uint64_t>(v[0]) * static_cast<uint64_t>(v[1]);
    if (!m_ctx.Canvas().Fits(static_cast<uint64_t>(v[2] + v[0] * 8),
                             static_cast<uint64_t>(v[3] + v[1])))
        return m_ctx.CheckDrawn(false, at);
    if (!m_ctx.Need(pos, bytes, "CG graphics data")) return false;
    bool drawn = m_ctx.Canvas().Draw(v[2], v[3], m_ctx.Data() + pos, static_cast<uint32_t>(v[0]),
                                     static_cast<uint32_t>(v[1]), true);
    pos += bytes;
    return m_ctx.CheckDrawn(drawn, at);
}

// The printed label is PAGE-WIDTH wide (else as wide as its graphics) and as
// high as its header says; graphics beyond are cut off.
bool CCpclDecoder::Print(size_t at) {
    CPageCanvas& canvas = m_ctx.Canvas();
    uint64_t width = m_pageWidth >= 0 ? static_cast<uint64_t>(m_pageWidth) : canvas.Width();
    if (!m_ctx.CheckDrawn(canvas.Resize(width, static_cast<uint64_t>(m_labelHeight)), at))
        return false;
    m_ctx.EndPage();
    return true;
}

}  // namespace

void DecodeCpcl(CDecodeContext& ctx) {
    CCpclDecoder(ctx).Run();
}

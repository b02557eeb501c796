#include <map>
#include <string>

#include "tools/preview/Inflate.h"
#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

namespace {

// Setting keys of the single-word commands and of the SET/SETC switches.
const std::map<std::string, std::string> kSettingWords = {
    {"SIZE", "size"},
    {"GAP", "gap"},
    {"BLINE", "black mark"},
    {"OFFSET", "offset"},
    {"REFERENCE", "reference"},
    {"DENSITY", "density"},
    {"SPEED", "speed"},
    {"RIBBON", "ribbon"},
    {"PEEL", "peel"},
    {"TEAR", "tear"},
    {"CUTTER", "cutter"},
    {"PARTIAL_CUTTER", "partial cutter"},
    {"AUTODOTTED", "auto dotted"},
    {"PAUSEKEY", "pause key"},
    {"WATERMARK", "watermark"},
};

// Commands a printer carries out at once, outside any label: a feed to the
// next label and the sensor calibrations. Key and value of the setting each
// records.
struct ImmediateCommand {
    const char* word;
    const char* key;
    const char* value;
};
constexpr ImmediateCommand kImmediateCommands[] = {
    {"FORMFEED", "feed", "one label"},          {"HOME", "feed", "to the start of a label"},
    {"GAPDETECT", "calibration", "gap"},        {"BLINEDETECT", "calibration", "black mark"},
    {"AUTODETECT", "calibration", "automatic"},
};

class CTsplDecoder {
public:
    explicit CTsplDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Bitmap(size_t& pos);
    bool DataEnd(size_t pos);
    bool BitmapData(size_t at, int64_t x, int64_t y, int64_t widthBytes, int64_t height,
                    int64_t mode, int64_t length);
    void Line(const std::string& line);
    bool Immediate(size_t& pos);

    CDecodeContext& m_ctx;
};

void CTsplDecoder::Run() {
    size_t pos = 0;
    while (!m_ctx.Failed()) {
        pos = SkipBlank(m_ctx, pos);
        if (pos >= m_ctx.Size()) break;
        if (!m_ctx.PageOpen() && Immediate(pos)) continue;
        if (!m_ctx.PageOpen()) m_ctx.BeginPage();
        if (StartsWith(m_ctx, pos, "BITMAP ")) {
            Bitmap(pos);
            continue;
        }
        std::string line;
        if (ReadLine(m_ctx, pos, line)) Line(line);
    }
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected PRINT: the stream ends inside a label");
    m_ctx.Finish();
}

// An immediate command alone on its line at pos: recorded, and pos moved
// past it.
bool CTsplDecoder::Immediate(size_t& pos) {
    for (const ImmediateCommand& c : kImmediateCommands) {
        const size_t end = pos + std::char_traits<char>::length(c.word);
        if (!StartsWith(m_ctx, pos, c.word) || m_ctx.Left(end) == 0) continue;
        if (m_ctx.Data()[end] != '\r' && m_ctx.Data()[end] != '\n') continue;
        std::string line;
        if (ReadLine(m_ctx, pos, line)) m_ctx.Add(c.key, c.value);
        return true;
    }
    return false;
}

void CTsplDecoder::Line(const std::string& line) {
    size_t space = line.find(' ');
    std::string word = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "SET" || word == "SETC") {
        size_t inner = rest.find(' ');
        word = rest.substr(0, inner);
        rest = inner == std::string::npos ? "" : rest.substr(inner + 1);
    }
    auto known = kSettingWords.find(word);
    if (known != kSettingWords.end()) {
        m_ctx.Set(known->second, rest);
    } else if (word == "CLS") {
        m_ctx.Canvas().Clear();
    } else if (word == "PRINT") {
        m_ctx.Set("print", rest);
        m_ctx.EndPage();
    } else {
        m_ctx.Add("other command", line);
    }
}

// BITMAP x,y,widthBytes,height,mode,[length,]data
bool CTsplDecoder::Bitmap(size_t& pos) {
    size_t start = pos;
    pos += 7;
    int64_t field[5], length = -1;
    const char* names[5] = {"BITMAP x", "BITMAP y", "BITMAP width in bytes", "BITMAP height",
                            "BITMAP mode"};
    for (int i = 0; i < 5; i++) {
        if (!ReadNumber(m_ctx, pos, field[i], names[i])) return false;
        if (!ExpectChar(m_ctx, pos, ',', "after the number")) return false;
        if (field[i] < 0) return m_ctx.Fail(start, std::string(names[i]) + " is negative");
    }
    if (field[4] > 3) return m_ctx.Fail(start, "unknown BITMAP mode " + std::to_string(field[4]));
    if (field[4] == 3) {
        if (!ReadNumber(m_ctx, pos, length, "BITMAP compressed length")) return false;
        if (!ExpectChar(m_ctx, pos, ',', "after the number")) return false;
        if (length < 0) return m_ctx.Fail(start, "BITMAP compressed length is negative");
    }
    if (!BitmapData(pos, field[0], field[1], field[2], field[3], field[4], length)) return false;
    pos += field[4] == 3 ? static_cast<size_t>(length) : static_cast<size_t>(field[2] * field[3]);
    return DataEnd(pos);
}

// Printers take the next command straight after the BITMAP data, and some
// writers leave out the CR LF there; the next command starts at pos either
// way. Strict decoding notes the missing line end on the page.
bool CTsplDecoder::DataEnd(size_t pos) {
    if (m_ctx.Left(pos) == 0 || StartsWith(m_ctx, pos, "\n") || StartsWith(m_ctx, pos, "\r\n"))
        return true;
    if (m_ctx.Options().strict)
        m_ctx.Add("warning", "no CR LF after the BITMAP data (byte " + std::to_string(pos) + ")");
    return true;
}

bool CTsplDecoder::BitmapData(size_t at, int64_t x, int64_t y, int64_t widthBytes, int64_t height,
                              int64_t mode, int64_t length) {
    uint64_t raw = static_cast<uint64_t>(widthBytes) * static_cast<uint64_t>(height);
    if (!m_ctx.Canvas().Fits(static_cast<uint64_t>(x + widthBytes * 8),
                             static_cast<uint64_t>(y + height)))
        return m_ctx.CheckDrawn(false, at);
    const uint8_t* data = m_ctx.Data() + at;
    uint32_t wb = static_cast<uint32_t>(widthBytes), h = static_cast<uint32_t>(height);
    if (mode != 3) {
        if (!m_ctx.Need(at, raw, "BITMAP data")) return false;
        m_ctx.Set("compression", "none");
        return m_ctx.CheckDrawn(m_ctx.Canvas().Draw(x, y, data, wb, h, false), at);
    }
    if (!m_ctx.Need(at, static_cast<size_t>(length), "zlib BITMAP data")) return false;
    std::vector<uint8_t> bits;
    size_t used = 0;
    std::string error =
        InflateExact(data, static_cast<size_t>(length), InflateFormat::Zlib, raw, bits, used);
    if (error.empty() && used != static_cast<size_t>(length))
        error = "zlib stream ends after " + std::to_string(used) + " of its " +
                std::to_string(length) + " bytes";
    if (!error.empty()) return m_ctx.Fail(at, "BITMAP zlib data: " + error);
    m_ctx.Set("compression", "zlib, " + std::to_string(length) + " bytes");
    return m_ctx.CheckDrawn(m_ctx.Canvas().Draw(x, y, bits.data(), wb, h, true), at);
}

}  // namespace

void DecodeTspl(CDecodeContext& ctx) {
    CTsplDecoder(ctx).Run();
}

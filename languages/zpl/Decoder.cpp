// ZPL II: formats ^XA ... ^XZ, each printed as one page of ^PW x ^LL dots,
// with ^GFA graphic fields in hex (with the run-length compression) or Z64,
// and graphics stored with ~DG and recalled with ^XG. Settings sent before
// the first format (^MMT, ~SD) belong to the stream.

#include <algorithm>
#include <map>

#include "languages/zpl/Crc16.h"
#include "tools/preview/Inflate.h"
#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

namespace {

constexpr size_t kMaxParamText = 80;
constexpr size_t kMaxStoredGraphics = 64;
constexpr int64_t kMaxMagnification = 10;

// A graphic kept in the printer's memory by ~DG.
struct tagStoredGraphic {
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    std::vector<uint8_t> bits;
};

// Setting keys of the commands that only set something, with names for
// their one-letter values.
struct tagZplSetting {
    const char* key;
    std::map<std::string, std::string> words;
};
const std::map<std::string, tagZplSetting> kSettings = {
    {"^LH", {"home", {}}},
    {"^MN", {"media tracking", {{"N", "continuous"}, {"Y", "gap/web"}, {"M", "black mark"}}}},
    {"^MT", {"media type", {{"D", "direct thermal"}, {"T", "thermal transfer"}}}},
    {"~SD", {"darkness", {}}},
    {"^PR", {"speed", {}}},
    {"^MM", {"print mode", {{"T", "tear-off"}, {"P", "peel-off"}, {"C", "cutter"}}}},
    {"^PQ", {"quantity", {}}},
};

int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Base64Value(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// The hex digits of a graphic field, written one by one into packed rows.
class CHexField {
public:
    CHexField(uint32_t rowBytes, uint32_t rows)
        : m_rowDigits(uint64_t{rowBytes} * 2), m_total(m_rowDigits * rows) {
        bits.assign(size_t{rowBytes} * rows, 0);
    }
    uint64_t Left() const { return m_total - m_done; }
    uint64_t Done() const { return m_done; }
    bool AtRowStart() const { return m_done % m_rowDigits == 0; }
    uint64_t LeftInRow() const { return m_rowDigits - m_done % m_rowDigits; }
    void Put(unsigned digit, uint64_t count) {
        for (; count > 0; count--, m_done++) {
            uint8_t& b = bits[m_done / 2];
            b = static_cast<uint8_t>(m_done % 2 ? (b & 0xF0) | digit : (b & 0x0F) | digit << 4);
        }
    }
    void RepeatRow() {
        const size_t rowBytes = m_rowDigits / 2, at = m_done / 2;
        std::copy_n(bits.begin() + (at - rowBytes), rowBytes, bits.begin() + at);
        m_done += m_rowDigits;
    }
    std::vector<uint8_t> bits;

private:
    uint64_t m_rowDigits, m_total, m_done = 0;
};

class CZplDecoder {
public:
    explicit CZplDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t at, size_t& pos);
    std::string Params(size_t& pos) const;
    void Setting(const tagZplSetting& setting, const std::string& value);
    bool Origin(size_t at, const std::string& params);
    bool Graphic(size_t at, size_t& pos);
    bool StoreGraphic(size_t at, size_t& pos);
    bool RecallGraphic(size_t at, const std::string& params);
    bool HexData(size_t& pos, CHexField& field);
    bool HexSymbol(size_t pos, CHexField& field, uint64_t& count);
    bool Z64Data(size_t& pos, size_t expected, std::vector<uint8_t>& bits);
    bool EndFormat(size_t at);

    CDecodeContext& m_ctx;
    int64_t m_width = -1, m_length = -1, m_x = 0, m_y = 0;
    std::map<std::string, tagStoredGraphic> m_graphics;
    size_t m_storedBytes = 0;
};

// "R:LOGO.GRF" and "LOGO" name the same graphic: the memory device and the
// default extension are dropped.
std::string GraphicName(std::string name) {
    if (name.size() > 2 && name[1] == ':') name.erase(0, 2);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".GRF") == 0)
        name.resize(name.size() - 4);
    return name;
}

// Each dot of the graphic becomes an mx by my block.
std::vector<uint8_t> Magnify(const tagStoredGraphic& g, uint32_t mx, uint32_t my,
                             uint32_t& rowBytes) {
    const uint32_t width = g.rowBytes * 8 * mx;
    rowBytes = (width + 7) / 8;
    std::vector<uint8_t> out(size_t{rowBytes} * g.rows * my, 0);
    for (uint32_t y = 0; y < g.rows; y++) {
        uint8_t* row = out.data() + size_t{rowBytes} * y * my;
        for (uint32_t x = 0; x < g.rowBytes * 8; x++) {
            if (!(g.bits[size_t{g.rowBytes} * y + x / 8] & (0x80 >> x % 8))) continue;
            for (uint32_t i = x * mx; i < (x + 1) * mx; i++) row[i / 8] |= uint8_t(0x80 >> i % 8);
        }
        for (uint32_t r = 1; r < my; r++) std::copy_n(row, rowBytes, row + size_t{rowBytes} * r);
    }
    return out;
}

void CZplDecoder::Run() {
    size_t pos = 0;
    while (!m_ctx.Failed()) {
        pos = SkipBlank(m_ctx, pos);
        if (pos >= m_ctx.Size()) break;
        const uint8_t c = m_ctx.Data()[pos];
        if ((c != '^' && c != '~') || m_ctx.Left(pos) < 3) {
            m_ctx.Fail(pos, "expected a ZPL command (^ or ~ and two letters)");
            break;
        }
        size_t at = pos;
        pos += 3;
        Command(at, pos);
    }
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected ^XZ: the stream ends inside a label format");
    m_ctx.Finish();
}

// Everything up to the next command, line ends left out.
std::string CZplDecoder::Params(size_t& pos) const {
    std::string text;
    const uint8_t* d = m_ctx.Data();
    for (; pos < m_ctx.Size() && d[pos] != '^' && d[pos] != '~'; pos++)
        if (d[pos] != '\r' && d[pos] != '\n' && text.size() < kMaxParamText) text += char(d[pos]);
    return text;
}

bool CZplDecoder::Command(size_t at, size_t& pos) {
    const std::string name(reinterpret_cast<const char*>(m_ctx.Data() + at), 3);
    if (name == "^XA") {
        if (m_ctx.PageOpen()) return m_ctx.Fail(at, "expected ^XZ before the next ^XA");
        m_ctx.BeginPage();
        m_width = m_length = -1;
        m_x = m_y = 0;
        return true;
    }
    if (name == "^GF") {
        if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "expected ^XA before a graphic field");
        return Graphic(at, pos);
    }
    if (name == "~DG") return StoreGraphic(at, pos);
    const std::string params = Params(pos);
    const bool drawing = name == "^XZ" || name == "^FO" || name == "^XG";
    if (drawing && !m_ctx.PageOpen()) return m_ctx.Fail(at, "expected ^XA before " + name);
    int64_t n = 0;
    if (name == "^XZ") return EndFormat(at);
    if (name == "^XG") return RecallGraphic(at, params);
    if ((name == "^PW" || name == "^LL") && WordNumber(params, n) && n >= 0) {
        (name == "^PW" ? m_width : m_length) = n;
        m_ctx.Set(name == "^PW" ? "print width" : "label length", params + " dots");
    } else if (name == "^FO") {
        return Origin(at, params);
    } else if (auto known = kSettings.find(name); known != kSettings.end()) {
        Setting(known->second, params);
    } else if (name != "^FS") {
        m_ctx.Add("other command", name + params);
    }
    return true;
}

void CZplDecoder::Setting(const tagZplSetting& setting, const std::string& value) {
    auto word = setting.words.find(value);
    m_ctx.Set(setting.key, word == setting.words.end() ? value : word->second);
}

bool CZplDecoder::Origin(size_t at, const std::string& params) {
    size_t comma = params.find(',');
    if (comma == std::string::npos || !WordNumber(params.substr(0, comma), m_x) ||
        !WordNumber(params.substr(comma + 1), m_y) || m_x < 0 || m_y < 0)
        return m_ctx.Fail(at, "expected \"^FOx,y\" with two numbers");
    return true;
}

// ^GFA,<bytes>,<field bytes>,<bytes per row>,<data>
bool CZplDecoder::Graphic(size_t at, size_t& pos) {
    if (!ExpectChar(m_ctx, pos, 'A', "(only ASCII graphic fields, ^GFA, are decoded)") ||
        !ExpectChar(m_ctx, pos, ',', "after ^GFA"))
        return false;
    int64_t v[3];
    const char* names[3] = {"the byte count", "the field byte count", "the bytes per row"};
    for (int i = 0; i < 3; i++) {
        if (!ReadNumber(m_ctx, pos, v[i], names[i]) || !ExpectChar(m_ctx, pos, ',', "after it"))
            return false;
    }
    if (v[1] < 0 || v[2] <= 0 || v[1] % v[2] != 0)
        return m_ctx.Fail(at, "the field byte count is not a whole number of rows");
    const uint32_t rowBytes = static_cast<uint32_t>(v[2]);
    const uint32_t rows = static_cast<uint32_t>(v[1] / v[2]);
    if (!m_ctx.Canvas().Fits(static_cast<uint64_t>(m_x) + uint64_t{rowBytes} * 8,
                             static_cast<uint64_t>(m_y) + rows))
        return m_ctx.CheckDrawn(false, at);
    std::vector<uint8_t> bits;
    if (StartsWith(m_ctx, pos, ":Z64:")) {
        if (!Z64Data(pos, static_cast<size_t>(v[1]), bits)) return false;
    } else if (StartsWith(m_ctx, pos, ":B64:")) {
        return m_ctx.Fail(pos, "B64 graphic data is not decoded");
    } else {
        CHexField field(rowBytes, rows);
        if (!HexData(pos, field)) return false;
        bits.swap(field.bits);
    }
    return m_ctx.CheckDrawn(m_ctx.Canvas().Draw(m_x, m_y, bits.data(), rowBytes, rows, true), at);
}

// ~DGd:o.x,<total bytes>,<bytes per row>,<hex data>
bool CZplDecoder::StoreGraphic(size_t at, size_t& pos) {
    std::string name;
    const uint8_t* d = m_ctx.Data();
    for (; pos < m_ctx.Size() && d[pos] != ',' && name.size() < kMaxParamText; pos++)
        name += char(d[pos]);
    int64_t total = 0, rowBytes = 0;
    if (!ExpectChar(m_ctx, pos, ',', "after the ~DG graphic name") ||
        !ReadNumber(m_ctx, pos, total, "the ~DG byte count") ||
        !ExpectChar(m_ctx, pos, ',', "after it") ||
        !ReadNumber(m_ctx, pos, rowBytes, "the ~DG bytes per row") ||
        !ExpectChar(m_ctx, pos, ',', "after it"))
        return false;
    if (total <= 0 || rowBytes <= 0 || total % rowBytes != 0)
        return m_ctx.Fail(at, "the ~DG byte count is not a whole number of rows");
    const uint32_t rows = static_cast<uint32_t>(total / rowBytes);
    if (m_graphics.size() >= kMaxStoredGraphics ||
        m_storedBytes + static_cast<uint64_t>(total) > m_ctx.Options().maxPageBytes)
        return m_ctx.Fail(at, "too many stored graphics for the page byte limit");
    CHexField field(static_cast<uint32_t>(rowBytes), rows);
    if (!HexData(pos, field)) return false;
    m_storedBytes += static_cast<size_t>(total);
    m_graphics[GraphicName(name)] = {static_cast<uint32_t>(rowBytes), rows, std::move(field.bits)};
    m_ctx.Add("stored graphic",
              name + ", " + std::to_string(rowBytes * 8) + " x " + std::to_string(rows) + " dots");
    return true;
}

// ^XGd:o.x,mx,my draws a stored graphic at the field origin, mx and my
// times enlarged.
bool CZplDecoder::RecallGraphic(size_t at, const std::string& params) {
    std::vector<std::string> fields(1);
    for (char c : params) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    auto found = m_graphics.find(GraphicName(fields[0]));
    if (found == m_graphics.end())
        return m_ctx.Fail(at, "^XG recalls " + fields[0] + ", never stored");
    int64_t scale[2] = {1, 1};
    for (size_t i = 0; i < 2; i++)
        if (fields.size() > i + 1 && !fields[i + 1].empty() &&
            (!WordNumber(fields[i + 1], scale[i]) || scale[i] < 1 || scale[i] > kMaxMagnification))
            return m_ctx.Fail(at, "^XG magnification must be 1 to 10");
    const tagStoredGraphic& g = found->second;
    const uint64_t width = uint64_t{g.rowBytes} * 8 * scale[0],
                   height = uint64_t{g.rows} * scale[1];
    if (!m_ctx.Canvas().Fits(static_cast<uint64_t>(m_x) + width,
                             static_cast<uint64_t>(m_y) + height))
        return m_ctx.CheckDrawn(false, at);
    uint32_t rowBytes = 0;
    const std::vector<uint8_t> bits =
        Magnify(g, static_cast<uint32_t>(scale[0]), static_cast<uint32_t>(scale[1]), rowBytes);
    return m_ctx.CheckDrawn(
        m_ctx.Canvas().Draw(m_x, m_y, bits.data(), rowBytes, static_cast<uint32_t>(height), true),
        at);
}

bool CZplDecoder::HexData(size_t& pos, CHexField& field) {
    const size_t start = pos;
    uint64_t count = 0;
    for (; pos < m_ctx.Size(); pos++) {
        const uint8_t c = m_ctx.Data()[pos];
        if (c == '^' || c == '~') break;
        if (c == '\r' || c == '\n') continue;
        if (!HexSymbol(pos, field, count)) return false;
    }
    if (count) return m_ctx.Fail(pos, "count letters at the end of the graphic data");
    if (field.Left() != 0)
        return m_ctx.Fail(pos, "the graphic data gives " + std::to_string(field.Done()) +
                                   " hex digits, the field holds " +
                                   std::to_string(field.Done() + field.Left()));
    m_ctx.Set("compression", "hex, " + std::to_string(pos - start) + " characters");
    return true;
}

// One character of hex data: a count letter, a digit, or a row shorthand.
bool CZplDecoder::HexSymbol(size_t pos, CHexField& field, uint64_t& count) {
    const uint8_t c = m_ctx.Data()[pos];
    if (c >= 'G' && c <= 'Y') {
        count += c - 'F';
        return true;
    }
    if (c >= 'g' && c <= 'z') {
        count += 20u * (c - 'f');
        return true;
    }
    const int digit = HexValue(c);
    if (digit < 0 && count) return m_ctx.Fail(pos, "count letters without a digit");
    const uint64_t n = digit >= 0 ? (count ? count : 1) : 0;
    count = 0;
    if (digit >= 0 && n <= field.Left()) {
        field.Put(static_cast<unsigned>(digit), n);
        return true;
    }
    if ((c == ',' || c == '!') && field.Left() > 0) {
        field.Put(c == ',' ? 0 : 0xF, field.LeftInRow());
        return true;
    }
    if (c == ':' && field.AtRowStart() && field.Done() > 0 && field.Left() > 0) {
        field.RepeatRow();
        return true;
    }
    if (digit >= 0 || c == ',' || c == '!' || c == ':')
        return m_ctx.Fail(pos, std::string("'") + char(c) + "' does not fit the graphic field");
    return m_ctx.Fail(pos, "unexpected character " + HexBytes(&c, 1) + " in hex graphic data");
}

// :Z64:<base64 of a zlib stream>:<CRC-16 of the base64 text, four hex digits>
bool CZplDecoder::Z64Data(size_t& pos, size_t expected, std::vector<uint8_t>& bits) {
    pos += 5;
    const size_t start = pos;
    std::vector<uint8_t> packed;
    uint32_t group = 0;
    int held = 0;
    const uint8_t* d = m_ctx.Data();
    for (; pos < m_ctx.Size() && d[pos] != ':'; pos++) {
        if (d[pos] == '=') continue;
        const int v = Base64Value(d[pos]);
        if (v < 0)
            return m_ctx.Fail(pos, "unexpected character " + HexBytes(d + pos, 1) + " in Z64 data");
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++held == 4) {
            packed.insert(packed.end(),
                          {uint8_t(group >> 16), uint8_t(group >> 8), uint8_t(group)});
            group = 0;
            held = 0;
        }
    }
    if (held == 2) packed.push_back(uint8_t(group >> 4));
    if (held == 3) packed.insert(packed.end(), {uint8_t(group >> 10), uint8_t(group >> 2)});
    const size_t textLength = pos - start;
    if (!ExpectChar(m_ctx, pos, ':', "after the Z64 data") || !m_ctx.Need(pos, 4, "the Z64 CRC"))
        return false;
    int64_t stated = 0;
    for (int i = 0; i < 4; i++) {
        const int v = HexValue(d[pos + i]);
        if (v < 0) return m_ctx.Fail(pos, "expected four hex digits of the Z64 CRC");
        stated = stated * 16 + v;
    }
    const uint16_t computed = Crc16Xmodem(d + start, textLength);
    const bool good = stated == computed;
    m_ctx.Set("checksum", (good ? "ok (" : "mismatch (stated ") + Hex(uint32_t(stated), 4) +
                              (good ? ")" : ", computed " + Hex(computed, 4) + ")"));
    if (!good && m_ctx.Options().strict) return m_ctx.Fail(pos, "Z64 CRC mismatch");
    pos += 4;
    size_t used = 0;
    std::string error =
        InflateExact(packed.data(), packed.size(), InflateFormat::Zlib, expected, bits, used);
    if (!error.empty()) return m_ctx.Fail(start, "Z64 data: " + error);
    m_ctx.Set("compression", "Z64, " + std::to_string(textLength) + " characters");
    return true;
}

// The label is ^PW wide and ^LL long (else as large as its graphics);
// graphics beyond are cut off.
bool CZplDecoder::EndFormat(size_t at) {
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "^XZ without ^XA");
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint64_t width = m_width >= 0 ? static_cast<uint64_t>(m_width) : canvas.Width();
    const uint64_t height = m_length >= 0 ? static_cast<uint64_t>(m_length) : canvas.Height();
    if (!m_ctx.CheckDrawn(canvas.Resize(width, height), at)) return false;
    m_ctx.EndPage();
    return true;
}

}  // namespace

void DecodeZpl(CDecodeContext& ctx) {
    CZplDecoder(ctx).Run();
}

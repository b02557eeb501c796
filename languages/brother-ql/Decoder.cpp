// Brother QL raster: an invalidate run of NULs and ESC @, then per page
// ESC i commands (print information with the line count, cut and resolution
// modes, margin), M for the compression and one g command per 90-byte head
// line. Lines are mirrored on the head; the medium the print information
// names says where the page lies. FF ends a page, Ctrl-Z the last one.

#include <algorithm>
#include <array>

#include "languages/brother-ql/BrotherQlMedia.h"
#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/PackBits.h"

namespace {

class CBrotherQlDecoder {
public:
    explicit CBrotherQlDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    bool PrintInformation(size_t at, const uint8_t* n);
    bool Line(size_t& pos);
    bool Unpack(size_t at, const uint8_t* data, size_t size);
    bool DrawLine(size_t at);
    bool EndPage(size_t at, bool last);
    void OpenPage();

    CDecodeContext& m_ctx;
    std::array<uint8_t, kQlLineBytes> m_line{};
    const QlMedia* m_media = nullptr;
    uint32_t m_announced = 0, m_lines = 0;
    bool m_packBits = false, m_ended = false;
    size_t m_invalidate = 0;
};

void CBrotherQlDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Command(pos);
    if (m_invalidate > 0) m_ctx.SetStream("invalidate", std::to_string(m_invalidate) + " bytes");
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected FF or Ctrl-Z: the stream ends inside a page");
    if (!m_ctx.Failed() && !m_ended)
        m_ctx.Fail(m_ctx.Size(), "expected Ctrl-Z after the last page");
    m_ctx.Finish();
}

void CBrotherQlDecoder::OpenPage() {
    if (m_ctx.PageOpen()) return;
    m_ctx.BeginPage();
    m_lines = 0;
    m_announced = 0;
    m_media = nullptr;
}

bool CBrotherQlDecoder::Command(size_t& pos) {
    const uint8_t b = m_ctx.Data()[pos];
    switch (b) {
        case 0x00:
            if (!m_ctx.PageOpen()) m_invalidate++;
            pos++;
            return true;
        case 0x1B:
            return Escape(pos);
        case 0x4D:
            if (!m_ctx.Need(pos, 2, "the compression mode M n")) return false;
            m_packBits = m_ctx.Data()[pos + 1] == 0x02;
            OpenPage();
            m_ctx.Set("compression", m_packBits ? "PackBits" : "none");
            pos += 2;
            return true;
        case 0x67:
            return Line(pos);
        case 0x5A:  // a white line
            OpenPage();
            m_line.fill(0);
            pos++;
            return DrawLine(pos - 1);
        case 0x0C:
        case 0x1A:
            pos++;
            return EndPage(pos - 1, b == 0x1A);
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(m_ctx.Data() + pos, 1));
    }
}

bool CBrotherQlDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0x40) {
        pos += 2;
        return true;
    }
    if (d[1] != 0x69 || !m_ctx.Need(pos, 3, "an ESC i command"))
        return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 2));
    // ESC i <letter> and the number of parameter bytes that follow.
    size_t params = 0;
    switch (d[2]) {
        case 'a':
        case 'M':
        case 'A':
        case 'K':
            params = 1;
            break;
        case 'd':
            params = 2;
            break;
        case 'z':
            params = 10;
            break;
        case 'S':
            params = 0;
            break;
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
    }
    if (!m_ctx.Need(pos, 3 + params, "the parameters of ESC i")) return false;
    const uint8_t* n = d + 3;
    const size_t at = pos;
    pos += 3 + params;
    if (d[2] == 'z') return PrintInformation(at, n);
    if (d[2] == 'a' || d[2] == 'S') return true;
    OpenPage();
    if (d[2] == 'M') m_ctx.Set("auto cut", (n[0] & 0x40) ? "on" : "off");
    if (d[2] == 'A') m_ctx.Set("cut every", std::to_string(n[0]) + " labels");
    if (d[2] == 'K') {
        m_ctx.Set("cut at end", (n[0] & 0x08) ? "on" : "off");
        m_ctx.Set("resolution", (n[0] & 0x40) ? "300x600 dpi" : "300 dpi");
    }
    if (d[2] == 'd') m_ctx.Set("margin", std::to_string(n[0] | (n[1] << 8)) + " dots");
    return true;
}

// ESC i z: valid flags, media type, width and length in mm, line count,
// first page or not.
bool CBrotherQlDecoder::PrintInformation(size_t at, const uint8_t* n) {
    if (m_ctx.PageOpen() && m_lines > 0)
        return m_ctx.Fail(at, "ESC i z inside a page: expected FF before the next page");
    OpenPage();
    const bool dieCut = n[1] == 0x0B;
    m_media = QlMediaNamed(n[2], n[3], dieCut);
    m_announced =
        uint32_t{n[4]} | (uint32_t{n[5]} << 8) | (uint32_t{n[6]} << 16) | (uint32_t{n[7]} << 24);
    std::string media = std::to_string(n[2]) + " mm " +
                        (dieCut ? "die-cut labels, " + std::to_string(n[3]) + " mm long" : "tape");
    if (!m_media) media += " (not a known medium: the whole head is shown)";
    m_ctx.Set("media", media);
    m_ctx.Set("lines", std::to_string(m_announced));
    return true;
}

// A PackBits line must expand to exactly one head line.
bool CBrotherQlDecoder::Unpack(size_t at, const uint8_t* data, size_t size) {
    const long out = UnpackBitsLine(m_ctx, at, data, size, m_line);
    if (out < 0) return false;
    if (out != static_cast<long>(m_line.size()))
        return m_ctx.Fail(at, "PackBits line of " + std::to_string(out) + " bytes, expected " +
                                  std::to_string(kQlLineBytes));
    return true;
}

bool CBrotherQlDecoder::Line(size_t& pos) {
    if (!m_ctx.Need(pos, 3, "a raster line g 00 n")) return false;
    const size_t at = pos, size = m_ctx.Data()[pos + 2];
    if (!m_ctx.Need(pos + 3, size, "the raster line's data")) return false;
    const uint8_t* data = m_ctx.Data() + pos + 3;
    pos += 3 + size;
    OpenPage();
    if (m_packBits) {
        if (!Unpack(at, data, size)) return false;
    } else {
        if (size != kQlLineBytes)
            return m_ctx.Fail(at, "uncompressed raster line of " + std::to_string(size) +
                                      " bytes, expected " + std::to_string(kQlLineBytes));
        std::copy(data, data + size, m_line.begin());
    }
    return DrawLine(at);
}

// The line as printed: pin `left` + W - 1 is the page's first column.
bool CBrotherQlDecoder::DrawLine(size_t at) {
    const int left = m_media ? m_media->left : 0;
    const int width = m_media ? m_media->dots : kQlHeadPins;
    std::array<uint8_t, kQlLineBytes> row{};
    for (int x = 0; x < width; x++) {
        const int pin = left + width - 1 - x;
        if ((m_line[pin / 8] >> (7 - pin % 8)) & 1)
            row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint32_t y = canvas.Height();
    m_lines++;
    const auto rowBytes = static_cast<uint32_t>((width + 7) / 8);
    return m_ctx.CheckDrawn(canvas.Draw(0, y, row.data(), rowBytes, 1, true), at) &&
           m_ctx.CheckDrawn(canvas.Resize(width, y + 1), at);
}

bool CBrotherQlDecoder::EndPage(size_t at, bool last) {
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "page end without a page");
    if (m_lines != m_announced)
        return m_ctx.Fail(at, "ESC i z announced " + std::to_string(m_announced) +
                                  " lines, the page has " + std::to_string(m_lines));
    m_ctx.EndPage();
    m_ended = last;
    return true;
}

}  // namespace

void DecodeBrotherQl(CDecodeContext& ctx) {
    CBrotherQlDecoder(ctx).Run();
}

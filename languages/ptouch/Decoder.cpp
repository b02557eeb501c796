// Brother P-touch raster: an invalidate run of NULs and ESC @, then per page
// ESC i commands (print information with the tape width and line count,
// auto cut, chain printing, margin), M for the compression and one g (or G)
// command per line across the tape, Z for a white line. The page is drawn
// as wide as the tape, the printed pins in its middle. FF ends a page,
// Ctrl-Z the last one.

#include <algorithm>
#include <array>
#include <cmath>

#include "languages/ptouch/PtouchTape.h"
#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/PackBits.h"

namespace {

constexpr double kDotsPerMm = 180 / 25.4;

class CPtouchDecoder {
public:
    explicit CPtouchDecoder(CDecodeContext& ctx) : m_ctx(ctx) {}
    void Run();

private:
    bool Command(size_t& pos);
    bool Escape(size_t& pos);
    void Mode(uint8_t command, const uint8_t* n);
    bool PrintInformation(size_t at, const uint8_t* n);
    bool Line(size_t& pos);
    bool Unpack(size_t at, const uint8_t* data, size_t size);
    bool DrawLine(size_t at);
    bool EndPage(size_t at, bool last);
    void OpenPage();

    CDecodeContext& m_ctx;
    std::array<uint8_t, kPtouchLineBytes> m_line{};
    const PtouchTape* m_tape = nullptr;
    uint32_t m_announced = 0, m_lines = 0;
    bool m_packBits = false, m_ended = false;
    size_t m_invalidate = 0;
};

void CPtouchDecoder::Run() {
    size_t pos = 0;
    while (pos < m_ctx.Size() && !m_ctx.Failed()) Command(pos);
    if (m_invalidate > 0) m_ctx.SetStream("invalidate", std::to_string(m_invalidate) + " bytes");
    if (!m_ctx.Failed() && m_ctx.PageOpen())
        m_ctx.Fail(m_ctx.Size(), "expected FF or Ctrl-Z: the stream ends inside a page");
    if (!m_ctx.Failed() && !m_ended)
        m_ctx.Fail(m_ctx.Size(), "expected Ctrl-Z after the last page");
    m_ctx.Finish();
}

void CPtouchDecoder::OpenPage() {
    if (m_ctx.PageOpen()) return;
    m_ctx.BeginPage();
    m_lines = 0;
    m_announced = 0;
    m_tape = nullptr;
}

bool CPtouchDecoder::Command(size_t& pos) {
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
        case 0x47:
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

// ESC @, and ESC i <letter> with its parameter bytes.
bool CPtouchDecoder::Escape(size_t& pos) {
    if (!m_ctx.Need(pos, 2, "an ESC command")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    if (d[1] == 0x40) {
        pos += 2;
        return true;
    }
    if (d[1] != 0x69 || !m_ctx.Need(pos, 3, "an ESC i command"))
        return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 2));
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
            break;
        default:
            return m_ctx.Fail(pos, "unknown command " + HexBytes(d, 3));
    }
    if (!m_ctx.Need(pos, 3 + params, "the parameters of ESC i")) return false;
    const size_t at = pos;
    pos += 3 + params;
    if (d[2] == 'z') return PrintInformation(at, d + 3);
    if (d[2] != 'a' && d[2] != 'S') Mode(d[2], d + 3);
    return true;
}

void CPtouchDecoder::Mode(uint8_t command, const uint8_t* n) {
    OpenPage();
    if (command == 'M') m_ctx.Set("auto cut", (n[0] & 0x40) ? "on" : "off");
    if (command == 'A') m_ctx.Set("cut every", std::to_string(n[0]) + " labels");
    if (command == 'K') m_ctx.Set("chain printing", (n[0] & 0x08) ? "off" : "on");
    if (command == 'd') m_ctx.Set("margin", std::to_string(n[0] | (n[1] << 8)) + " dots");
}

// ESC i z: valid flags, tape type, width and length in mm, line count, first
// page or not.
bool CPtouchDecoder::PrintInformation(size_t at, const uint8_t* n) {
    if (m_ctx.PageOpen() && m_lines > 0)
        return m_ctx.Fail(at, "ESC i z inside a page: expected FF before the next page");
    OpenPage();
    m_tape = PtouchTapeOfCode(n[2]);
    m_announced =
        uint32_t{n[4]} | (uint32_t{n[5]} << 8) | (uint32_t{n[6]} << 16) | (uint32_t{n[7]} << 24);
    std::string tape =
        m_tape ? (n[2] == 0x04 ? "3.5" : std::to_string(n[2])) + " mm tape"
               : std::to_string(n[2]) + " mm (not a known tape: the whole head is shown)";
    if (n[1] == 0x01) tape += ", laminated";
    if (n[1] == 0x03) tape += ", non-laminated";
    if (n[1] == 0x11) tape += ", heat-shrink tube";
    m_ctx.Set("media", tape);
    m_ctx.Set("lines", std::to_string(m_announced));
    return true;
}

// A PackBits line expands to at most one head line; a shorter one is
// padded with white.
bool CPtouchDecoder::Unpack(size_t at, const uint8_t* data, size_t size) {
    m_line.fill(0);
    return UnpackBitsLine(m_ctx, at, data, size, m_line) >= 0;
}

bool CPtouchDecoder::Line(size_t& pos) {
    if (!m_ctx.Need(pos, 3, "a raster line g nL nH")) return false;
    const uint8_t* d = m_ctx.Data() + pos;
    const size_t at = pos, size = d[1] | (size_t{d[2]} << 8);
    if (!m_ctx.Need(pos + 3, size, "the raster line's data")) return false;
    pos += 3 + size;
    OpenPage();
    if (m_packBits) {
        if (!Unpack(at, d + 3, size)) return false;
    } else {
        if (size > kPtouchLineBytes)
            return m_ctx.Fail(at, "raster line of " + std::to_string(size) + " bytes, at most " +
                                      std::to_string(kPtouchLineBytes));
        m_line.fill(0);
        std::copy(d + 3, d + 3 + size, m_line.begin());
    }
    return DrawLine(at);
}

// The line across the tape: the tape's printed pins in the middle of its
// width; without a known tape the whole head.
bool CPtouchDecoder::DrawLine(size_t at) {
    const int width =
        m_tape ? static_cast<int>(std::lround(m_tape->widthMm * kDotsPerMm)) : kPtouchHeadPins;
    const int pins = m_tape ? m_tape->pins : kPtouchHeadPins;
    const int left = (width - pins) / 2;
    std::array<uint8_t, (kPtouchHeadPins + 64) / 8> row{};
    for (int x = 0; x < pins; x++) {
        const int pin = m_tape ? PtouchPinOfColumn(*m_tape, x) : x;
        if ((m_line[pin / 8] >> (7 - pin % 8)) & 1)
            row[(left + x) / 8] |= static_cast<uint8_t>(0x80 >> ((left + x) % 8));
    }
    CPageCanvas& canvas = m_ctx.Canvas();
    const uint32_t y = canvas.Height();
    m_lines++;
    const auto rowBytes = static_cast<uint32_t>((width + 7) / 8);
    return m_ctx.CheckDrawn(canvas.Draw(0, y, row.data(), rowBytes, 1, true), at) &&
           m_ctx.CheckDrawn(canvas.Resize(width, y + 1), at);
}

bool CPtouchDecoder::EndPage(size_t at, bool last) {
    if (!m_ctx.PageOpen()) return m_ctx.Fail(at, "page end without a page");
    if (m_lines != m_announced)
        return m_ctx.Fail(at, "ESC i z announced " + std::to_string(m_announced) +
                                  " lines, the page has " + std::to_string(m_lines));
    m_ctx.EndPage();
    m_ended = last;
    return true;
}

}  // namespace

void DecodePtouch(CDecodeContext& ctx) {
    CPtouchDecoder(ctx).Run();
}

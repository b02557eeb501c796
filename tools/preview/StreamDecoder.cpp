#include "tools/preview/StreamDecoder.h"

#include <algorithm>
#include <iterator>

#include "printers/Languages.h"
#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

namespace {
const LanguageDecoder* DecoderOf(PreviewLanguage language) {
    for (const LanguageDecoder& d : kLanguageDecoders)
        if (d.language == language) return &d;
    return nullptr;
}

// Whether the first print information (ESC i z) in the start of a Brother
// raster job names a P-touch tape type (laminated, non-laminated, heat-shrink
// tube) rather than the QL's continuous tape or die-cut labels.
bool IsPtouchTape(const uint8_t* data, size_t size) {
    constexpr size_t kLookAhead = 320;
    const uint8_t printInformation[] = {0x1B, 0x69, 0x7A};
    const uint8_t* end = data + std::min(size, kLookAhead);
    const uint8_t* at =
        std::search(data, end, std::begin(printInformation), std::end(printInformation));
    if (end - at < 5) return false;
    return at[4] == 0x01 || at[4] == 0x03 || at[4] == 0x11;
}
}  // namespace

bool tagDecodedPage::IsBlack(uint32_t x, uint32_t y) const {
    if (x >= width || y >= height) return false;
    return (bits[size_t{y} * RowBytes() + x / 8] >> (7 - x % 8)) & 1;
}

PreviewLanguage DetectLanguage(const uint8_t* data, size_t size) {
    if (size == 0) return PreviewLanguage::Unknown;
    uint8_t b0 = data[0], b1 = size > 1 ? data[1] : 0;
    if (b0 == 0xA5) return PreviewLanguage::Paperang;
    if (b0 == 0x51 && b1 == 0x78) return PreviewLanguage::Cat;
    if ((b0 == 0x55 && b1 == 0x55) || (b0 == 0x03 && b1 == 0x55)) return PreviewLanguage::Niimbot;
    if ((b0 == 0x10 && b1 == 0xFF) || (b0 == 0x1F && b1 == 0x00)) return PreviewLanguage::PeriPage;
    // Brother QL and P-touch jobs start with an invalidate run of NULs or
    // ESC @ ESC i, told apart by the media type of the print information;
    // DYMO jobs with ESC @ and the dot tab or line width.
    const uint8_t b2 = size > 2 ? data[2] : 0, b3 = size > 3 ? data[3] : 0;
    if (b0 == 0x00 || (b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && b3 == 0x69))
        return IsPtouchTape(data, size) ? PreviewLanguage::Ptouch : PreviewLanguage::BrotherQL;
    if (b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && (b3 == 0x42 || b3 == 0x44))
        return PreviewLanguage::Dymo;
    // ESC @ ESC E alone is a DYMO form feed (ESC/POS's ESC E takes a value).
    if (size == 4 && b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && b3 == 0x45)
        return PreviewLanguage::Dymo;
    // Star raster jobs enter raster mode (ESC * r A), after a drawer kick (FS).
    const uint8_t* star = b0 == 0x1C ? data + 1 : data;
    if (static_cast<size_t>(star - data) + 3 <= size && star[0] == 0x1B && star[1] == '*' &&
        star[2] == 'r')
        return PreviewLanguage::Star;
    // Phomemo jobs: ESC @ ESC a n then the vendor 1F 11 (M02 class), or the
    // label printers' speed (ESC N 0D) or a vendor 1F 11 command first.
    const uint8_t b5 = size > 5 ? data[5] : 0, b6 = size > 6 ? data[6] : 0;
    if ((b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && b3 == 0x61 && b5 == 0x1F && b6 == 0x11) ||
        (b0 == 0x1B && b1 == 0x4E && b2 == 0x0D) || (b0 == 0x1F && b1 == 0x11))
        return PreviewLanguage::Phomemo;
    if (b0 == 0x1B || b0 == 0x1D) return PreviewLanguage::ESCPOS;
    size_t i = 0;
    while (i < size && (data[i] == '\r' || data[i] == '\n' || data[i] == ' ')) i++;
    if (i < size && data[i] == '!') return PreviewLanguage::CPCL;
    if (i < size && (data[i] == '^' || data[i] == '~')) return PreviewLanguage::ZPL;
    // EPL2 labels start by clearing the image buffer: "N" alone on a line;
    // a calibration by "xa".
    auto alone = [&](size_t end) { return end >= size || data[end] == '\r' || data[end] == '\n'; };
    if (i < size && data[i] == 'N' && alone(i + 1)) return PreviewLanguage::EPL;
    if (i + 1 < size && data[i] == 'x' && data[i + 1] == 'a' && alone(i + 2))
        return PreviewLanguage::EPL;
    if (i < size && data[i] >= 'A' && data[i] <= 'Z') return PreviewLanguage::TSPL;
    return PreviewLanguage::Unknown;
}

const char* LanguageName(PreviewLanguage language) {
    const Language* row = LanguageOfModel(static_cast<int>(language));
    return row ? row->title : "unknown";
}

PreviewLanguage ParseLanguage(const std::string& name) {
    const Language* row = FindLanguage(name);
    if (!row) return PreviewLanguage::Unknown;
    const auto language = static_cast<PreviewLanguage>(row->modelNumber);
    return DecoderOf(language) ? language : PreviewLanguage::Unknown;
}

std::string DecodableLanguageNames() {
    std::string names;
    for (const Language& l : Languages()) {
        if (!DecoderOf(static_cast<PreviewLanguage>(l.modelNumber))) continue;
        names += (names.empty() ? "" : "|") + std::string(l.name);
    }
    return names;
}

tagDecodeResult DecodeStream(const uint8_t* data, size_t size, const tagDecodeOptions& options) {
    tagDecodeResult result;
    CDecodeContext ctx(data, size, options, result);
    if (size == 0 || data == nullptr) {
        ctx.Fail(0, "empty input: no printer data");
        return result;
    }
    result.language = options.language != PreviewLanguage::Unknown ? options.language
                                                                   : DetectLanguage(data, size);
    if (const LanguageDecoder* decoder = DecoderOf(result.language)) {
        decoder->decode(ctx);
    } else {
        result.language = PreviewLanguage::Unknown;
        ctx.Fail(0, "cannot tell the printer language from the first bytes (" +
                        HexBytes(data, std::min<size_t>(size, 4)) + "); name it with --language");
    }
    return result;
}

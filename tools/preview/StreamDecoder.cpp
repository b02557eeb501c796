#include "tools/preview/StreamDecoder.h"

#include <algorithm>

#include "tools/preview/LanguageDecoders.h"
#include "tools/preview/TextCommands.h"

bool tagDecodedPage::IsBlack(uint32_t x, uint32_t y) const {
    if (x >= width || y >= height) return false;
    return (bits[size_t{y} * RowBytes() + x / 8] >> (7 - x % 8)) & 1;
}

PreviewLanguage DetectLanguage(const uint8_t* data, size_t size) {
    if (size == 0) return PreviewLanguage::Unknown;
    uint8_t b0 = data[0], b1 = size > 1 ? data[1] : 0;
    if (b0 == 0xA5) return PreviewLanguage::Paperang;
    if ((b0 == 0x10 && b1 == 0xFF) || (b0 == 0x1F && b1 == 0x00)) return PreviewLanguage::PeriPage;
    // Brother QL jobs start with an invalidate run of NULs or ESC @ ESC i;
    // DYMO jobs with ESC @ and the dot tab or line width.
    if (b0 == 0x00) return PreviewLanguage::BrotherQL;
    const uint8_t b2 = size > 2 ? data[2] : 0, b3 = size > 3 ? data[3] : 0;
    if (b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && b3 == 0x69) return PreviewLanguage::BrotherQL;
    if (b0 == 0x1B && b1 == 0x40 && b2 == 0x1B && (b3 == 0x42 || b3 == 0x44))
        return PreviewLanguage::Dymo;
    if (b0 == 0x1B || b0 == 0x1D) return PreviewLanguage::ESCPOS;
    size_t i = 0;
    while (i < size && (data[i] == '\r' || data[i] == '\n' || data[i] == ' ')) i++;
    if (i < size && data[i] == '!') return PreviewLanguage::CPCL;
    if (i < size && (data[i] == '^' || data[i] == '~')) return PreviewLanguage::ZPL;
    // EPL2 labels start by clearing the image buffer: "N" alone on a line.
    if (i < size && data[i] == 'N' && (i + 1 == size || data[i + 1] == '\r' || data[i + 1] == '\n'))
        return PreviewLanguage::EPL;
    if (i < size && data[i] >= 'A' && data[i] <= 'Z') return PreviewLanguage::TSPL;
    return PreviewLanguage::Unknown;
}

const char* LanguageName(PreviewLanguage language) {
    switch (language) {
        case PreviewLanguage::TSPL:
            return "TSPL";
        case PreviewLanguage::ESCPOS:
            return "ESC/POS";
        case PreviewLanguage::CPCL:
            return "CPCL";
        case PreviewLanguage::Paperang:
            return "Paperang";
        case PreviewLanguage::PeriPage:
            return "PeriPage";
        case PreviewLanguage::ZPL:
            return "ZPL";
        case PreviewLanguage::EPL:
            return "EPL2";
        case PreviewLanguage::BrotherQL:
            return "Brother QL";
        case PreviewLanguage::Dymo:
            return "DYMO";
        default:
            return "unknown";
    }
}

PreviewLanguage ParseLanguage(const std::string& name) {
    std::string n = Lower(name);
    if (n == "tspl") return PreviewLanguage::TSPL;
    if (n == "escpos" || n == "esc/pos") return PreviewLanguage::ESCPOS;
    if (n == "cpcl") return PreviewLanguage::CPCL;
    if (n == "paperang") return PreviewLanguage::Paperang;
    if (n == "peripage") return PreviewLanguage::PeriPage;
    if (n == "zpl") return PreviewLanguage::ZPL;
    if (n == "epl" || n == "epl2") return PreviewLanguage::EPL;
    if (n == "brother-ql" || n == "brother") return PreviewLanguage::BrotherQL;
    if (n == "dymo") return PreviewLanguage::Dymo;
    return PreviewLanguage::Unknown;
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
    switch (result.language) {
        case PreviewLanguage::TSPL:
            DecodeTspl(ctx);
            break;
        case PreviewLanguage::ESCPOS:
            DecodeEscPos(ctx);
            break;
        case PreviewLanguage::CPCL:
            DecodeCpcl(ctx);
            break;
        case PreviewLanguage::Paperang:
            DecodePaperang(ctx);
            break;
        case PreviewLanguage::PeriPage:
            DecodePeriPage(ctx);
            break;
        case PreviewLanguage::ZPL:
            DecodeZpl(ctx);
            break;
        case PreviewLanguage::EPL:
            DecodeEpl(ctx);
            break;
        case PreviewLanguage::BrotherQL:
            DecodeBrotherQl(ctx);
            break;
        case PreviewLanguage::Dymo:
            DecodeDymo(ctx);
            break;
        default:
            ctx.Fail(0, "cannot tell the printer language from the first bytes (" +
                            HexBytes(data, std::min<size_t>(size, 4)) +
                            "); name it with --language");
    }
    return result;
}

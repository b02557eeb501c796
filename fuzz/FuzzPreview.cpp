// The printer stream decoder of thermal-preview. The first input byte picks
// the language (its value mod 10: 0 lets the decoder detect it) and, with bit
// 7, strict checksums; the rest is the printer stream. Pages are limited to
// 4 MiB of bitmap so that one input stays quick.
#include <cstdlib>
#include <iterator>

#include "fuzz/FuzzSupport.h"
#include "tools/preview/StreamDecoder.h"

namespace {
constexpr PreviewLanguage kLanguages[] = {PreviewLanguage::Unknown,   PreviewLanguage::TSPL,
                                          PreviewLanguage::ESCPOS,    PreviewLanguage::CPCL,
                                          PreviewLanguage::Paperang,  PreviewLanguage::PeriPage,
                                          PreviewLanguage::ZPL,       PreviewLanguage::EPL,
                                          PreviewLanguage::BrotherQL, PreviewLanguage::Dymo};
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultFlags(argc, argv, {"-close_fd_mask=3"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    tagDecodeOptions options;
    options.language = kLanguages[(data[0] & 0x7F) % std::size(kLanguages)];
    options.strict = (data[0] & 0x80) != 0;
    options.maxPageBytes = size_t{4} << 20;
    tagDecodeResult result = DecodeStream(data + 1, size - 1, options);
    // Every decoded bitmap holds exactly its rows.
    for (const tagDecodedPage& page : result.pages) {
        if (page.HasBitmap() && page.bits.size() != size_t{page.RowBytes()} * page.height)
            std::abort();
        if (page.HasBitmap() && page.bits.size() > options.maxPageBytes) std::abort();
    }
    return 0;
}

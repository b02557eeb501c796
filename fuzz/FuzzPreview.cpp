// The printer stream decoder of thermal-preview. The first input byte picks
// the language (its value mod one more than the table's rows: 0 lets the
// decoder detect it, n the table's n-th language) and, with bit
// 7, strict checksums; the rest is the printer stream. Pages are limited to
// 4 MiB of bitmap so that one input stays quick.
#include <cstdlib>
#include <iterator>

#include "fuzz/FuzzSupport.h"
#include "printers/Languages.h"
#include "tools/preview/StreamDecoder.h"

namespace {
PreviewLanguage LanguageOf(uint8_t byte) {
    const size_t n = (byte & 0x7F) % (Languages().size() + 1);
    return n == 0 ? PreviewLanguage::Unknown
                  : static_cast<PreviewLanguage>(Languages()[n - 1].modelNumber);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultFlags(argc, argv, {"-close_fd_mask=3"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    tagDecodeOptions options;
    options.language = LanguageOf(data[0]);
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

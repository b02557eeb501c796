// The printer application's PDF reader on arbitrary bytes: the document is
// opened from memory, and its first pages are sized and drawn at a low
// resolution within small limits. A finding is a crash, a drawn page beyond
// the limits, or a page drawn without pixels.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/documents/PdfReader.h"

namespace {
constexpr PdfLimits kLimits{4, 1 << 20, 2048};
constexpr int kPagesDrawn = 2;
constexpr double kDpi = 36;

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    PdfReader reader;
    std::string why;
    if (!reader.OpenData(reinterpret_cast<const char*>(data), static_cast<int>(size), why)) {
        Check(!why.empty(), "a refusal without a reason");
        return 0;
    }
    for (int page = 0; page < reader.Pages() && page < kPagesDrawn; page++) {
        PdfPageSize pageSize;
        if (!reader.Size(page, pageSize, why)) continue;
        GrayImage image;
        if (!reader.Draw(page, kDpi, kDpi, kLimits, image, why)) continue;
        Check(image.width > 0 && image.height > 0, "a page drawn without pixels");
        Check(image.width <= kLimits.side && image.height <= kLimits.side &&
                  uint64_t(image.width) * uint64_t(image.height) <= kLimits.pixels * 2,
              "a page drawn beyond the limits");
        Check(image.pixels.size() == size_t(image.width) * size_t(image.height),
              "pixels that do not match the size");
    }
    return 0;
}

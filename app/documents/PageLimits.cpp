#include "app/documents/PageLimits.h"

#include <cups/cups.h>

#include <algorithm>

#include "app/drivers/DriverCatalog.h"

namespace {
constexpr uint64_t kHundredthsPerInch = 2540;
constexpr uint64_t kImageMargin = 4;

uint64_t Dots(int hundredthsOfMm, int dpi) {
    const uint64_t scaled = static_cast<uint64_t>(hundredthsOfMm) * static_cast<uint64_t>(dpi);
    return (scaled + kHundredthsPerInch - 1) / kHundredthsPerInch;
}

void Widen(DotSize& size, const char* media, int dpi) {
    const pwg_media_t* pwg = media ? pwgMediaForPWG(media) : nullptr;
    if (!pwg) return;
    size.width = std::max(size.width, Dots(pwg->width, dpi));
    size.length = std::max(size.length, Dots(pwg->length, dpi));
}
}  // namespace

DotSize LargestMedium(const DriverInfo& driver) {
    DotSize size;
    for (const char* media : driver.media) Widen(size, media, driver.dpi);
    Widen(size, driver.rollMax, driver.dpi);
    return size;
}

bool PageFits(const DriverInfo& driver, uint64_t width, uint64_t height) {
    const DotSize largest = LargestMedium(driver);
    const uint64_t slack = Dots(100, driver.dpi);  // 1 mm
    return width <= largest.width + slack && height <= largest.length + slack;
}

uint64_t ImagePixelLimit(const DriverInfo& driver) {
    const DotSize largest = LargestMedium(driver);
    return kImageMargin * largest.width * largest.length;
}

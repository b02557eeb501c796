#include "app/drivers/DriverMargins.h"

#include <cups/cups.h>

#include <algorithm>

#include "languages/brother-ql/BrotherQlMedia.h"

namespace {
constexpr int kHundredthsPerInch = 2540;
constexpr int kTopBottomMargin = 100;  // 1 mm: clients then name sizes plainly

// Page dots as PAPPL sizes a page: rounded down.
int Dots(int hundredths, int dpi) {
    return hundredths * dpi / kHundredthsPerInch;
}

// The least margin whose dots, rounded down as the page is, cover the larger
// half of `cut` dots: the far side loses the odd dot when a page is centred.
int MarginFor(int cut, int dpi) {
    if (cut <= 0) return 0;
    const int side = cut - cut / 2;
    return (side * kHundredthsPerInch + dpi - 1) / dpi;
}
}  // namespace

DriverMargins MarginsOf(const DriverInfo& driver) {
    DriverMargins margins{driver.sideMargin, kTopBottomMargin};
    auto widen = [&](const char* name) {
        const pwg_media_t* size = name ? pwgMediaForPWG(name) : nullptr;
        if (!size) return;
        const MediumCut cut = CutOfMedium(driver, size->width, size->length);
        margins.leftRight = std::max(margins.leftRight, MarginFor(cut.across, driver.dpi));
        margins.bottomTop = std::max(margins.bottomTop, MarginFor(cut.along, driver.dpi));
    };
    for (const char* name : driver.media) widen(name);
    widen(driver.rollMax);
    return margins;
}

// A Brother QL prints its medium's printed width and a die-cut label's
// printed length; the others print up to their head's width.
MediumCut CutOfMedium(const DriverInfo& driver, int widthHundredths, int lengthHundredths) {
    const int width = Dots(widthHundredths, driver.dpi);
    if (driver.language->modelNumber != 27) return {std::max(width - driver.headDots, 0), 0};
    const QlMedia& m = QlMediaForPage(widthHundredths / 100.0, lengthHundredths / 100.0, true);
    const int length = Dots(lengthHundredths, driver.dpi);
    return {std::max(width - m.dots, 0), m.DieCut() ? std::max(length - m.lengthDots, 0) : 0};
}

bool PrintsToEdges(const DriverInfo& driver) {
    auto reached = [&](const char* name) {
        const pwg_media_t* size = name ? pwgMediaForPWG(name) : nullptr;
        if (!size) return true;
        const MediumCut cut = CutOfMedium(driver, size->width, size->length);
        return cut.across == 0 && cut.along == 0;
    };
    return std::all_of(driver.media.begin(), driver.media.end(), reached) &&
           reached(driver.rollMax);
}

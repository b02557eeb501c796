#pragma once

#include "printers/LanguageRow.h"

class CPrinterBrotherQL;
extern const StatusExchange kBrotherQlStatus;

namespace language_data {
inline constexpr LanguageOption kBrotherQlOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"Rotate", "0"},   {"zeMediaTracking", "Gap"}, {"AutoCut", "1"},
    {"CutEvery", "1"},     {"CutAtEnd", "1"}, {"ImageCompress", "1"},
};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterBrotherQL> kBrotherQlRow{
    {.modelNumber = 27,
     .name = "brother-ql",
     .title = "Brother QL",
     .rawFormat = "application/vnd.thermal-brother-ql",
     .options = language_data::kBrotherQlOptions,
     .label = true,
     .status = &kBrotherQlStatus,
     // Asked fourth: on a DYMO, ESC i only sets the resolution and S is no
     // command; DYMO's ESC A is no Brother QL command.
     .probeOrder = 4,
     .compression = Compression::OnRequest,
     .cut = true,
     .doubleLines = true}};

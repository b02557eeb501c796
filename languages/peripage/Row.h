#pragma once

#include "printers/LanguageRow.h"

class CPrinterPeriPage;
extern const StatusExchange kPeriPageStatus;
std::vector<uint8_t> IdentifyPeriPage(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kPeriPageOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"Rotate", "0"},     {"zeMediaTracking", "Continuous"},
    {"Darkness", "Default"}, {"FeedOffset", "0"}, {"ImageCompress", "0"},
    {"BandHeight", "0"},     {"BlankFeed", "0"},  {"WhiteRunLimit", "0"},
};
inline constexpr const char* kPeriPageNames[] = {"PERIPAGE"};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterPeriPage> kPeriPageRow{
    {.modelNumber = 24,
     .name = "peripage",
     .title = "PeriPage",
     .rawFormat = "application/vnd.thermal-peripage",
     .options = language_data::kPeriPageOptions,
     .deviceNames = language_data::kPeriPageNames,
     .status = &kPeriPageStatus,
     .compression = Compression::OnRequest,
     .darknessLevels = 6,
     .darknessConfigured = 50,
     .identify = IdentifyPeriPage}};

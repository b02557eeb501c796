#pragma once

#include "printers/LanguageRow.h"

class CPrinterStar;
extern const StatusExchange kStarStatus;
std::vector<uint8_t> IdentifyStar(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kStarOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"Rotate", "0"},     {"WhiteRunLimit", "0"},
    {"CutMode", "2"},      {"CashDrawer", "0"},
};
inline constexpr const char* kStarCommands[] = {"STAR"};
inline constexpr const char* kStarNames[] = {"STAR MICRONICS"};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterStar> kStarRow{
    {.modelNumber = 30,
     .name = "star",
     .title = "Star raster",
     .rawFormat = "application/vnd.thermal-star",
     .options = language_data::kStarOptions,
     .commandSets = language_data::kStarCommands,
     .deviceNames = language_data::kStarNames,
     .status = &kStarStatus,
     // Asked second: ESC ACK SOH is control bytes only, like ESC/POS's query,
     // and a Star must be asked before the queries with characters it would
     // print (ESC ! ?, ~HS); after ESC/POS, whose printers are the most common.
     .probeOrder = 2,
     .cut = true,
     .identify = IdentifyStar}};

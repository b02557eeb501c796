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

inline constexpr LanguageRow<CPrinterStar> kStarRow{{.modelNumber = 30,
                                                     .name = "star",
                                                     .title = "Star raster",
                                                     .rawFormat = "application/vnd.thermal-star",
                                                     .options = language_data::kStarOptions,
                                                     .commandSets = language_data::kStarCommands,
                                                     .deviceNames = language_data::kStarNames,
                                                     .status = &kStarStatus,
                                                     .cut = true,
                                                     .identify = IdentifyStar}};

#pragma once

#include "printers/LanguageRow.h"

class CPrinterNiimbot;
extern const StatusExchange kNiimbotStatus;

namespace language_data {
inline constexpr LanguageOption kNiimbotOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"Darkness", "Default"},
    {"zeMediaTracking", "Gap"},
};
inline constexpr const char* kNiimbotNames[] = {"NIIMBOT"};
}  // namespace language_data

// Darkness 0 to 4 is density 1 to 5; the D-series stops at 3
// (languages/niimbot/Encoder.cpp). Default: the generation's usual density.
inline constexpr LanguageRow<CPrinterNiimbot> kNiimbotRow{
    {.modelNumber = 31,
     .name = "niimbot",
     .title = "NIIMBOT",
     .rawFormat = "application/vnd.thermal-niimbot",
     .options = language_data::kNiimbotOptions,
     .deviceNames = language_data::kNiimbotNames,
     .label = true,
     .status = &kNiimbotStatus,
     // Asked last: its packets start with the printable "UU", which
     // no printer asked after it may see; NIIMBOT printers read packets from
     // 55 55 on and pass over the queries before it.
     .probeOrder = 8,
     .darknessLevels = 5,
     .darknessConfigured = 50}};

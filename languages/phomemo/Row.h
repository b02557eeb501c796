#pragma once

#include "printers/LanguageRow.h"

class CPrinterPhomemo;
extern const StatusExchange kPhomemoStatus;

namespace language_data {
inline constexpr LanguageOption kPhomemoOptions[] = {
    THERMAL_IMAGE_OPTIONS,      {"Rotate", "0"},
    {"Darkness", "Default"},    {"zePrintRate", "Default"},
    {"zeMediaTracking", "Gap"},
};
inline constexpr const char* kPhomemoNames[] = {"PHOMEMO"};
}  // namespace language_data

// Darkness 0 to 14 is density 1 to 15 and zePrintRate 1 to 5 the speed
// level of the label printers' header (languages/phomemo/Encoder.cpp);
// the M02 class keeps its own. The speed levels are no inches per second,
// so print-speed is not offered.
inline constexpr LanguageRow<CPrinterPhomemo> kPhomemoRow{
    {.modelNumber = 32,
     .name = "phomemo",
     .title = "Phomemo",
     .rawFormat = "application/vnd.thermal-phomemo",
     .options = language_data::kPhomemoOptions,
     .deviceNames = language_data::kPhomemoNames,
     .label = true,
     .status = &kPhomemoStatus,
     .darknessLevels = 15,
     .darknessConfigured = 50}};

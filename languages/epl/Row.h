#pragma once

#include "printers/LanguageRow.h"

class CPrinterEPL;
std::vector<uint8_t> IdentifyEpl(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kEplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"Darkness", "Default"}, {"zePrintRate", "Default"}, {"PeelCutMode", "Default"},
};
// Print speeds in inches per second.
inline constexpr int kEplSpeeds[] = {1, 2, 3, 4, 5, 6};
inline constexpr const char* kEplCommands[] = {"EPL", "EPL2"};
// xa calibrates the sensor the printer is set to; the line feed before it
// ends any line the printer holds.
inline constexpr Calibration kEplCalibrations[] = {{"", "\nxa\n"}};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterEPL> kEplRow{
    {.modelNumber = 26,
     .name = "epl",
     .title = "EPL2",
     .rawFormat = "application/vnd.thermal-epl",
     .options = language_data::kEplOptions,
     .commandSets = language_data::kEplCommands,
     .label = true,
     .cut = true,
     .darknessLevels = 16,
     .darknessConfigured = 50,
     .speeds = language_data::kEplSpeeds,
     .quarterTurns = true,
     .identify = IdentifyEpl,
     .calibrations = language_data::kEplCalibrations}};

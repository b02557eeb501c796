#pragma once

#include "printers/LanguageRow.h"

class CPrinterTSPL;
extern const StatusExchange kTsplStatus;
std::vector<uint8_t> IdentifyTspl(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kTsplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"MediaMethod", "Direct"}, {"zeMediaTracking", "Gap"},
    {"Darkness", "8"},       {"zePrintRate", "4"},      {"AutoDotted", "0"},
    {"ImageCompress", "0"},  {"Rotate", "0"},           {"AdjustHoriaontal", "0"},
    {"AdjustVertical", "0"}, {"FeedOffset", "0"},       {"PeelCutMode", "Default"},
};
// Print speeds in inches per second.
inline constexpr int kTsplSpeeds[] = {1, 2, 3, 4, 5, 6, 8, 10, 12};
inline constexpr const char* kTsplCommands[] = {"TSPL", "TSPL2"};
// One command per sensor.
inline constexpr Calibration kTsplCalibrations[] = {{"gap", "GAPDETECT\r\n"},
                                                    {"mark", "BLINEDETECT\r\n"}};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterTSPL> kTsplRow{
    {.modelNumber = 20,
     .name = "tspl",
     .title = "TSPL",
     .rawFormat = "application/vnd.thermal-tspl",
     .options = language_data::kTsplOptions,
     .commandSets = language_data::kTsplCommands,
     .label = true,
     .status = &kTsplStatus,
     // Asked third: ESC ! ? is an immediate command, an escape sequence no text
     // language prints; before ~HS, which TSPL would read as the start of a line.
     .probeOrder = 3,
     .compression = Compression::OnRequest,
     .cut = true,
     .darknessLevels = 16,
     .darknessConfigured = 53,
     .speeds = language_data::kTsplSpeeds,
     .quarterTurns = true,
     .identify = IdentifyTspl,
     .calibrations = language_data::kTsplCalibrations}};

#pragma once

#include "printers/LanguageRow.h"

class CPrinterZPL;
extern const StatusExchange kZplStatus;
std::vector<uint8_t> IdentifyZpl(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kZplOptions[] = {
    THERMAL_IMAGE_OPTIONS,     {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"MediaMethod", "Direct"}, {"Darkness", "Default"},    {"zePrintRate", "Default"},
    {"ImageCompress", "0"},    {"PeelCutMode", "Default"},
};
// Print speeds in inches per second.
inline constexpr int kZplSpeeds[] = {2, 3, 4, 5, 6, 8, 10, 12};
inline constexpr const char* kZplCommands[] = {"ZPL", "ZPL2", "ZPLII"};
// ~JC calibrates the sensor the printer is set to.
inline constexpr Calibration kZplCalibrations[] = {{"", "~JC\r\n"}};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterZPL> kZplRow{
    {.modelNumber = 25,
     .name = "zpl",
     .title = "ZPL",
     .rawFormat = "application/vnd.thermal-zpl",
     .options = language_data::kZplOptions,
     .commandSets = language_data::kZplCommands,
     .label = true,
     .status = &kZplStatus,
     // Asked late: ~HS is printable, harmless once ESC/POS and TSPL are ruled
     // out; ZPL ignores what came before outside its label formats.
     .probeOrder = 6,
     .compression = Compression::OnRequest,
     .cut = true,
     .darknessLevels = 31,
     .darknessConfigured = 50,
     .speeds = language_data::kZplSpeeds,
     .quarterTurns = true,
     .identify = IdentifyZpl,
     .calibrations = language_data::kZplCalibrations}};

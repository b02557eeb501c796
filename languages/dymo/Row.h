#pragma once

#include "printers/LanguageRow.h"

class CPrinterDymo;
extern const StatusExchange kDymoStatus;
std::vector<uint8_t> IdentifyDymo(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kDymoOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"Darkness", "Default"},
};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterDymo> kDymoRow{
    {.modelNumber = 28,
     .name = "dymo",
     .title = "DYMO",
     .rawFormat = "application/vnd.thermal-dymo",
     .options = language_data::kDymoOptions,
     .label = true,
     .status = &kDymoStatus,
     // Asked fifth, after Brother QL (whose ESC i S is harmless here).
     .probeOrder = 5,
     .compression = Compression::Always,
     .darknessLevels = 4,
     .darknessConfigured = 67,
     .doubleLines = true,
     .identify = IdentifyDymo}};

#pragma once

#include "printers/LanguageRow.h"

class CPrinterCPCL;
std::vector<uint8_t> IdentifyCpcl(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kCpclOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"zeMediaTracking", "Gap"},
    {"Rotate", "0"},
    {"AdjustHoriaontal", "0"},
};
inline constexpr const char* kCpclCommands[] = {"CPCL"};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterCPCL> kCpclRow{{.modelNumber = 22,
                                                     .name = "cpcl",
                                                     .title = "CPCL",
                                                     .rawFormat = "application/vnd.thermal-cpcl",
                                                     .options = language_data::kCpclOptions,
                                                     .commandSets = language_data::kCpclCommands,
                                                     .label = true,
                                                     .quarterTurns = true,
                                                     .identify = IdentifyCpcl}};

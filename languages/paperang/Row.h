#pragma once

#include "printers/LanguageRow.h"

class CPrinterPaperang;
std::vector<uint8_t> IdentifyPaperang(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kPaperangOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"zeMediaTracking", "Continuous"},
    {"WhiteRunLimit", "0"},
};
inline constexpr const char* kPaperangNames[] = {"PAPERANG"};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterPaperang> kPaperangRow{
    {.modelNumber = 23,
     .name = "paperang",
     .title = "Paperang",
     .rawFormat = "application/vnd.thermal-paperang",
     .options = language_data::kPaperangOptions,
     .deviceNames = language_data::kPaperangNames,
     .compression = Compression::Always,
     .checksumSeed = true,
     .identify = IdentifyPaperang}};

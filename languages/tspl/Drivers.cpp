#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kTsplRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"tspl_203", "Generic TSPL label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 203dpi;", kLanguage, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"tspl_300", "Generic TSPL label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 300dpi;", kLanguage, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
};
}  // namespace

const std::span<const DriverInfo> kTsplDrivers = kList;

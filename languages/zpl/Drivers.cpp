#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kZplRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"zpl_203", "Generic ZPL II label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 203dpi;", kLanguage, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"zpl_300", "Generic ZPL II label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 300dpi;", kLanguage, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
};
}  // namespace

const std::span<const DriverInfo> kZplDrivers = kList;

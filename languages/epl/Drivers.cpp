#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kEplRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"epl_203", "Generic EPL2 label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:EPL;MDL:EPL2 Label 203dpi;", kLanguage, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
};
}  // namespace

const std::span<const DriverInfo> kEplDrivers = kList;

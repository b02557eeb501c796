#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kCpclRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"cpcl_2in", "Generic CPCL label printer, 2-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 2inch;", kLanguage, 203, 384, 136, kLabels2in,
     "roll_min_0.5x0.5in", "roll_max_2x39.37in"},
    {"cpcl_3in", "Generic CPCL label printer, 3-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 3inch;", kLanguage, 203, 576, 100, kLabels3in,
     "roll_min_0.5x0.5in", "roll_max_3x39.37in"},
    {"cpcl_4in", "Generic CPCL label printer, 4-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 4inch;", kLanguage, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
};
}  // namespace

const std::span<const DriverInfo> kCpclDrivers = kList;

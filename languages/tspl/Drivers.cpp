#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kTsplRow.language.modelNumber);

// Phomemo PM-241 and PM-241-BT (USB 2E3C:5750) speak TSPL; their device ID
// names no maker ("MFG: ;CMD:XPP,XL;MDL:PM-241-BT;"), so the key is a blank
// maker and the model. 4-inch head, 812 dots.
constexpr const char* kPm241Models[] = {" PM-241-BT", " PM-241"};

constexpr DriverInfo kList[] = {
    {"tspl_203", "Generic TSPL label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 203dpi;", kLanguage, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"tspl_300", "Generic TSPL label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 300dpi;", kLanguage, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"phomemo_pm241", "Phomemo PM-241, PM-241-BT shipping label printer (TSPL), 203 dpi",
     "MFG: ;CMD:XPP,XL;MDL:PM-241-BT;CLS:PRINTER;DES:PM-241-BT;", kLanguage, 203, 812, 100,
     kLabels4in, "roll_min_0.5x0.5in", "roll_max_4.1x39.37in", kPm241Models},
};
}  // namespace

const std::span<const DriverInfo> kTsplDrivers = kList;

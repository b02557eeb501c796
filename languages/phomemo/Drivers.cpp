#include "app/drivers/LanguageDrivers.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kPhomemoRow.language.modelNumber);

// The M02 class prints 384 dots (48 mm) on 53 mm paper (check); the page
// is as wide as the head.
constexpr int kReceiptDots = 384, kReceiptSideMargin = 250;
// (check) Label heads: the M110 and M120 48 mm (384 dots), the M220 72 mm
// (576 dots). Rows are as wide as the label.
constexpr int kM110Dots = 384, kM220Dots = 576;

constexpr const char* kReceiptModels[] = {"PHOMEMO M02", "PHOMEMO M02S", "PHOMEMO T02"};
constexpr const char* kM110Models[] = {"PHOMEMO M110", "PHOMEMO M120"};
constexpr const char* kM220Models[] = {"PHOMEMO M220"};

constexpr const char* kRolls53[] = {
    "om_53x100mm_53x100mm", "om_53x50mm_53x50mm",   "om_53x150mm_53x150mm",
    "om_53x200mm_53x200mm", "om_53x297mm_53x297mm",
};
// Labels as fed: width across the head x length.
constexpr const char* kM110Labels[] = {
    "om_40x30mm_40x30mm", "om_50x30mm_50x30mm", "om_50x50mm_50x50mm",
    "om_50x80mm_50x80mm", "om_40x20mm_40x20mm",
};
constexpr const char* kM220Labels[] = {
    "om_60x40mm_60x40mm", "om_58x40mm_58x40mm", "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm", "om_50x50mm_50x50mm",
};

// Over Bluetooth LE (service ff00, written on ff02) the answers come on ff01
// or ff03, the sources disagree (check): both are heard.
constexpr bool kEveryNotify = true;

constexpr DriverInfo kList[] = {
    {"phomemo_m02",
     "Phomemo M02, M02S, T02 mini printer, 53 mm paper",
     "MFG:Phomemo;MDL:M02;",
     kLanguage,
     203,
     kReceiptDots,
     kReceiptSideMargin,
     kRolls53,
     "roll_min_53x12.7mm",
     "roll_max_53x1000mm",
     kReceiptModels,
     {},
     kEveryNotify},
    {"phomemo_m110",
     "Phomemo M110, M120 label printer, 203 dpi",
     "MFG:Phomemo;MDL:M110;",
     kLanguage,
     203,
     kM110Dots,
     0,
     kM110Labels,
     "roll_min_20x10mm",
     "roll_max_50x200mm",
     kM110Models,
     {},
     kEveryNotify},
    {"phomemo_m220",
     "Phomemo M220 label printer, 203 dpi",
     "MFG:Phomemo;MDL:M220;",
     kLanguage,
     203,
     kM220Dots,
     0,
     kM220Labels,
     "roll_min_20x10mm",
     "roll_max_80x200mm",
     kM220Models,
     {},
     kEveryNotify},
};
}  // namespace

const std::span<const DriverInfo> kPhomemoDrivers = kList;

#include "app/drivers/LanguageDrivers.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kNiimbotRow.language.modelNumber);

constexpr const char* kDModels[] = {"NIIMBOT D11", "NIIMBOT D110"};
constexpr const char* kBModels[] = {"NIIMBOT B1", "NIIMBOT B21"};

// D-series labels as designed, long side across: the encoder turns the
// page so that the 12 mm side lies on the 96-dot head (15 mm labels print
// on their middle 12 mm: use these sizes for them too).
constexpr const char* kDLabels[] = {
    "om_30x12mm_30x12mm", "om_22x12mm_22x12mm", "om_40x12mm_40x12mm",
    "om_50x12mm_50x12mm", "om_75x12mm_75x12mm",
};
// B-series labels as fed: width across the 48 mm head x length.
constexpr const char* kBLabels[] = {
    "om_50x30mm_50x30mm", "om_40x30mm_40x30mm", "om_50x50mm_50x50mm", "om_50x80mm_50x80mm",
    "om_40x20mm_40x20mm", "om_30x20mm_30x20mm", "om_30x15mm_30x15mm",
};

constexpr DriverInfo kList[] = {
    // The page may be as long as 75 mm across: it is turned onto the head.
    {"niimbot_d11_203", "NIIMBOT D11, D110 label maker, 203 dpi", "MFG:NIIMBOT;MDL:D110;",
     kLanguage, 203, 600, 0, kDLabels, "roll_min_12x12mm", "roll_max_75x12mm", kDModels},
    {"niimbot_b21_203", "NIIMBOT B1, B21 label printer, 203 dpi", "MFG:NIIMBOT;MDL:B21;", kLanguage,
     203, 384, 0, kBLabels, "roll_min_20x10mm", "roll_max_50x200mm", kBModels},
};
}  // namespace

const std::span<const DriverInfo> kNiimbotDrivers = kList;

#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kStarRow.language.modelNumber);

// (check) Printable dots on 58 mm paper: the sources give 416 or 384; 384
// (48 mm) stays on the paper either way.
constexpr int kDots58 = 384;
constexpr int kDots80 = 576;

// Models set up for 80 mm paper whatever their device ID's width, as
// "MAKER MODEL" from MFG and MDL in upper case. (check) The MDL form.
constexpr const char* kStar80Models[] = {
    "STAR TSP143 (STR_T-001)", "STAR TSP100", "STAR TSP143", "STAR TSP650", "STAR TSP700",
    "STAR MC-PRINT3",
};

constexpr DriverInfo kList[] = {
    {"star_58",
     "Star Micronics TSP100, TSP143, TSP650, TSP700, mC-Print receipt printer, 58 mm paper",
     "MFG:Star;CMD:STAR;MDL:TSP143 58mm;", kLanguage, 203, kDots58, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"star_80",
     "Star Micronics TSP100, TSP143, TSP650, TSP700, mC-Print receipt printer, 80 mm paper",
     "MFG:Star;CMD:STAR;MDL:TSP143 (STR_T-001);", kLanguage, 203, kDots80, 395, kRoll80,
     "roll_min_79.7x12.7mm", "roll_max_80.1x1000mm", kStar80Models},
};
}  // namespace

const std::span<const DriverInfo> kStarDrivers = kList;

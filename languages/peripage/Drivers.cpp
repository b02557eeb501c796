#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kPeriPageRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"peripage_203", "Generic PeriPage mini printer, 203 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 203dpi;", kLanguage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"peripage_300", "Generic PeriPage mini printer, 300 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 300dpi;", kLanguage, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
};
}  // namespace

const std::span<const DriverInfo> kPeriPageDrivers = kList;

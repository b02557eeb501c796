#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kCatRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"cat_203", "Cat printer (GB01 to GB03, MX05 to MX11), 58 mm paper",
     "MFG:Generic;CMD:Cat;MDL:Cat printer 58mm;", kLanguage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
};
}  // namespace

const std::span<const DriverInfo> kCatDrivers = kList;

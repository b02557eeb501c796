#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kEscPosRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"escpos_58", "Generic ESC/POS receipt printer, 58 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 58mm;", kLanguage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"escpos_80", "Generic ESC/POS receipt printer, 80 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 80mm;", kLanguage, 203, 576, 395, kRoll80,
     "roll_min_79.7x12.7mm", "roll_max_80.1x1000mm"},
};
}  // namespace

const std::span<const DriverInfo> kEscPosDrivers = kList;

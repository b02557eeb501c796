#include "app/drivers/LanguageDrivers.h"
#include "app/drivers/MediaLists.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kPaperangRow.language.modelNumber);

constexpr DriverInfo kList[] = {
    {"paperang_203", "Generic Paperang mini printer, 203 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 203dpi;", kLanguage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"paperang_300", "Generic Paperang mini printer, 300 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 300dpi;", kLanguage, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
};
}  // namespace

const std::span<const DriverInfo> kPaperangDrivers = kList;

#include "app/drivers/LanguageDrivers.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kBrotherQlRow.language.modelNumber);

constexpr const char* kBrotherQlModels[] = {
    "BROTHER QL-570", "BROTHER QL-700",  "BROTHER QL-710W",   "BROTHER QL-720NW",
    "BROTHER QL-800", "BROTHER QL-810W", "BROTHER QL-820NWB",
};
// Brother's die-cut labels (62 x 100 mm the default), then the continuous
// tapes, each as a page of a fixed length; then tape widths without a
// part number. Sizes from Brother's table in the printer notes.
constexpr const char* kBrotherQlMedia[] = {
    "om_dk-11202-shipping_62x100mm",
    "om_dk-11209-small-address_62x29mm",
    "om_dk-11201-address_29x90mm",
    "om_dk-11208-large-address_38x90mm",
    "om_dk-11203-file-folder_17x87mm",
    "om_dk-11204-multi-purpose_17x54mm",
    "om_dk-11221-square_23x23mm",
    "om_dk-22205-continuous_62x150mm",
    "om_dk-22212-film_62x150mm",
    "om_dk-22210-continuous_29x100mm",
    "om_dk-22211-film_29x100mm",
    "om_dk-22214-continuous_12x50mm",
    "om_38x100mm_38x100mm",
    "om_50x100mm_50x100mm",
    "om_54x100mm_54x100mm",
};
constexpr DriverInfo kList[] = {
    // The page is as wide as the tape or label; the encoder places it on
    // the head, which leaves about 1.5 mm at each side unprinted.
    {"brother_ql", "Brother QL-500 to QL-820NWB label printer", "MFG:Brother;MDL:QL-700;",
     kLanguage, 300, 733, 150, kBrotherQlMedia, "roll_min_12x12.7mm", "roll_max_62x1000mm",
     kBrotherQlModels},
};
}  // namespace

const std::span<const DriverInfo> kBrotherQlDrivers = kList;

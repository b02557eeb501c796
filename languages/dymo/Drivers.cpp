#include "app/drivers/LanguageDrivers.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kDymoRow.language.modelNumber);

constexpr const char* kDymoModels[] = {
    "DYMO LABELWRITER 400",
    "DYMO LABELWRITER 450",
    "DYMO LABELWRITER 450 TURBO",
    "DYMO LABELWRITER 450 TWIN TURBO",
};
constexpr const char* kDymo4xlModels[] = {"DYMO LABELWRITER 4XL"};

// DYMO LabelWriter labels as fed (width across the head x length); 99012
// first, the default. 1744907 (4 x 6 in) fits the 4XL only.
constexpr const char* kDymoLabels[] = {
    "om_99012-large-address_36x89mm", "om_99010-address_28x89mm",
    "om_99014-shipping_54x101mm",     "om_30256-shipping_59x102mm",
    "om_11354-multi-purpose_32x57mm", "om_30334-multi-purpose_32x57mm",
    "om_11355-multi-purpose_19x51mm", "om_99017-suspension-file_12x50mm",
};
constexpr const char* kDymo4xlLabels[] = {
    "oe_1744907-shipping_4x6in",        "om_99012-large-address_36x89mm",
    "om_99010-address_28x89mm",         "om_99014-shipping_54x101mm",
    "om_30256-shipping_59x102mm",       "om_11354-multi-purpose_32x57mm",
    "om_30334-multi-purpose_32x57mm",   "om_11355-multi-purpose_19x51mm",
    "om_99017-suspension-file_12x50mm",
};

constexpr DriverInfo kList[] = {
    {"dymo_lw", "DYMO LabelWriter 400, 450, 450 Turbo, 450 Twin Turbo",
     "MFG:DYMO;MDL:LabelWriter 450;", kLanguage, 300, 672, 0, kDymoLabels, "roll_min_12x12.7mm",
     "roll_max_59x1000mm", kDymoModels},
    {"dymo_lw_4xl", "DYMO LabelWriter 4XL", "MFG:DYMO;MDL:LabelWriter 4XL;", kLanguage, 300, 1248,
     0, kDymo4xlLabels, "roll_min_12x12.7mm", "roll_max_4.16x39.37in", kDymo4xlModels},
};
}  // namespace

const std::span<const DriverInfo> kDymoDrivers = kList;

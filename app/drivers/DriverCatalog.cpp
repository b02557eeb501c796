#include "app/drivers/DriverCatalog.h"

#include <algorithm>

namespace {
// The row of a model number; a number without a row stops the build.
consteval const Language* RowOf(int modelNumber) {
    for (const Language& language : kLanguages)
        if (language.modelNumber == modelNumber) return &language;
    throw "no language row for this model number";
}

constexpr const Language* kTspl = RowOf(20);
constexpr const Language* kEscPos = RowOf(21);
constexpr const Language* kCpcl = RowOf(22);
constexpr const Language* kPaperang = RowOf(23);
constexpr const Language* kPeriPage = RowOf(24);
constexpr const Language* kZpl = RowOf(25);
constexpr const Language* kEpl = RowOf(26);
constexpr const Language* kBrotherQl = RowOf(27);
constexpr const Language* kDymo = RowOf(28);
constexpr const Language* kCat = RowOf(29);

// Label stock of label printers in common inch and millimetre sizes; the
// first is the default.
constexpr const char* kLabels4in[] = {
    "oe_4x6-label_4x6in",
    "oe_4x4-label_4x4in",
    "oe_4x3-label_4x3in",
    "oe_4x2-label_4x2in",
    "oe_4x1-label_4x1in",
    "oe_3x2-label_3x2in",
    "oe_3x1-label_3x1in",
    "oe_w225h125-label_2.25x1.25in",
    "oe_w225h075-label_2.25x0.75in",
    "oe_2x1-label_2x1in",
    "oe_w150h100-label_1.5x1in",
    "om_100x150mm_100x150mm",
    "om_100x100mm_100x100mm",
    "om_60x40mm_60x40mm",
    "om_58x40mm_58x40mm",
    "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
    "om_30x20mm_30x20mm",
};
constexpr const char* kLabels3in[] = {
    "oe_3x2-label_3x2in",
    "oe_3x1-label_3x1in",
    "oe_w225h125-label_2.25x1.25in",
    "oe_w225h075-label_2.25x0.75in",
    "oe_2x1-label_2x1in",
    "oe_w150h100-label_1.5x1in",
    "om_60x40mm_60x40mm",
    "om_58x40mm_58x40mm",
    "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
    "om_30x20mm_30x20mm",
};
constexpr const char* kLabels2in[] = {
    "oe_2x1-label_2x1in", "oe_2x2-label_2x2in", "oe_2x3-label_2x3in", "oe_w150h100-label_1.5x1in",
    "om_50x30mm_50x30mm", "om_40x30mm_40x30mm", "om_30x20mm_30x20mm",
};
constexpr const char* kRoll58[] = {
    "om_58x100mm_58x100mm", "om_58x50mm_58x50mm",   "om_58x150mm_58x150mm",
    "om_58x200mm_58x200mm", "om_58x297mm_58x297mm",
};
constexpr const char* kRoll80[] = {
    "om_80x100mm_80x100mm", "om_80x50mm_80x50mm",   "om_80x150mm_80x150mm",
    "om_80x200mm_80x200mm", "om_80x297mm_80x297mm",
};

constexpr const char* kBrotherQlModels[] = {
    "BROTHER QL-570", "BROTHER QL-700",  "BROTHER QL-710W",   "BROTHER QL-720NW",
    "BROTHER QL-800", "BROTHER QL-810W", "BROTHER QL-820NWB",
};
constexpr const char* kDymoModels[] = {
    "DYMO LABELWRITER 400",
    "DYMO LABELWRITER 450",
    "DYMO LABELWRITER 450 TURBO",
    "DYMO LABELWRITER 450 TWIN TURBO",
};
constexpr const char* kDymo4xlModels[] = {"DYMO LABELWRITER 4XL"};

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

constexpr DriverInfo kDrivers[] = {
    {"tspl_203", "Generic TSPL label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 203dpi;", kTspl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"tspl_300", "Generic TSPL label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 300dpi;", kTspl, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"escpos_58", "Generic ESC/POS receipt printer, 58 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 58mm;", kEscPos, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"escpos_80", "Generic ESC/POS receipt printer, 80 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 80mm;", kEscPos, 203, 576, 395, kRoll80,
     "roll_min_79.7x12.7mm", "roll_max_80.1x1000mm"},
    {"cpcl_2in", "Generic CPCL label printer, 2-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 2inch;", kCpcl, 203, 384, 136, kLabels2in,
     "roll_min_0.5x0.5in", "roll_max_2x39.37in"},
    {"cpcl_3in", "Generic CPCL label printer, 3-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 3inch;", kCpcl, 203, 576, 100, kLabels3in,
     "roll_min_0.5x0.5in", "roll_max_3x39.37in"},
    {"cpcl_4in", "Generic CPCL label printer, 4-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 4inch;", kCpcl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"paperang_203", "Generic Paperang mini printer, 203 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 203dpi;", kPaperang, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"paperang_300", "Generic Paperang mini printer, 300 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 300dpi;", kPaperang, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"peripage_203", "Generic PeriPage mini printer, 203 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 203dpi;", kPeriPage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"zpl_203", "Generic ZPL II label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 203dpi;", kZpl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"zpl_300", "Generic ZPL II label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 300dpi;", kZpl, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"epl_203", "Generic EPL2 label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:EPL;MDL:EPL2 Label 203dpi;", kEpl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"peripage_300", "Generic PeriPage mini printer, 300 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 300dpi;", kPeriPage, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    // The page is as wide as the tape or label; the encoder places it on
    // the head, which leaves about 1.5 mm at each side unprinted.
    {"brother_ql", "Brother QL-500 to QL-820NWB label printer", "MFG:Brother;MDL:QL-700;",
     kBrotherQl, 300, 733, 150, kBrotherQlMedia, "roll_min_12x12.7mm", "roll_max_62x1000mm",
     kBrotherQlModels},
    {"dymo_lw", "DYMO LabelWriter 400, 450, 450 Turbo, 450 Twin Turbo",
     "MFG:DYMO;MDL:LabelWriter 450;", kDymo, 300, 672, 0, kDymoLabels, "roll_min_12x12.7mm",
     "roll_max_59x1000mm", kDymoModels},
    {"dymo_lw_4xl", "DYMO LabelWriter 4XL", "MFG:DYMO;MDL:LabelWriter 4XL;", kDymo, 300, 1248, 0,
     kDymo4xlLabels, "roll_min_12x12.7mm", "roll_max_4.16x39.37in", kDymo4xlModels},
    {"cat_203", "Cat printer (GB01 to GB03, MX05 to MX11), 58 mm paper",
     "MFG:Generic;CMD:Cat;MDL:Cat printer 58mm;", kCat, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
};
}  // namespace

std::span<const DriverInfo> Drivers() {
    return kDrivers;
}

const DriverInfo* FindDriver(std::string_view name) {
    auto it = std::find_if(std::begin(kDrivers), std::end(kDrivers),
                           [&](const DriverInfo& d) { return name == d.name; });
    return it == std::end(kDrivers) ? nullptr : &*it;
}

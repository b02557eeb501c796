#include "app/DriverCatalog.h"

#include <algorithm>

namespace {
// Options of every family, then each family's own, with the defaults of
// ppd/rastertothermal.drv.
#define THERMAL_IMAGE_OPTIONS                                                           \
    {"ImageFilter", "3"}, {"Threshold", "175"}, {"Brightness", "0"}, {"Contrast", "0"}, \
        {"CropEdgeTop", "0"}, {"CropEdgeBottom", "0"}, {"CropEdgeLeft", "0"}, {         \
        "CropEdgeRight", "0"                                                            \
    }

constexpr FamilyOption kTsplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"MediaMethod", "Direct"}, {"zeMediaTracking", "Gap"},
    {"Darkness", "8"},       {"zePrintRate", "4"},      {"AutoDotted", "0"},
    {"ImageCompress", "0"},  {"Rotate", "0"},           {"AdjustHoriaontal", "0"},
    {"AdjustVertical", "0"}, {"FeedOffset", "0"},
};
constexpr FamilyOption kEscPosOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"FeedOffset", "0"}, {"Rotate", "0"},
    {"BandHeight", "0"},   {"BlankFeed", "0"},  {"WhiteRunLimit", "0"},
};
constexpr FamilyOption kCpclOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"zeMediaTracking", "Gap"},
    {"Rotate", "0"},
    {"AdjustHoriaontal", "0"},
};
constexpr FamilyOption kPaperangOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"zeMediaTracking", "Continuous"},
    {"WhiteRunLimit", "0"},
};
constexpr FamilyOption kPeriPageOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"Rotate", "0"},     {"zeMediaTracking", "Continuous"},
    {"Darkness", "Default"}, {"FeedOffset", "0"}, {"ImageCompress", "0"},
    {"BandHeight", "0"},     {"BlankFeed", "0"},  {"WhiteRunLimit", "0"},
};
constexpr FamilyOption kZplOptions[] = {
    THERMAL_IMAGE_OPTIONS,     {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"MediaMethod", "Direct"}, {"Darkness", "Default"},    {"zePrintRate", "Default"},
    {"ImageCompress", "0"},
};
constexpr FamilyOption kEplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"Darkness", "Default"}, {"zePrintRate", "Default"},
};
constexpr FamilyOption kBrotherQlOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"Rotate", "0"},   {"zeMediaTracking", "Gap"}, {"AutoCut", "1"},
    {"CutEvery", "1"},     {"CutAtEnd", "1"}, {"ImageCompress", "1"},
};
constexpr FamilyOption kDymoOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"Darkness", "Default"},
};
#undef THERMAL_IMAGE_OPTIONS

// Print speeds in inches per second.
constexpr int kTsplSpeeds[] = {1, 2, 3, 4, 5, 6, 8, 10, 12};
constexpr int kZplSpeeds[] = {2, 3, 4, 5, 6, 8, 10, 12};
constexpr int kEplSpeeds[] = {1, 2, 3, 4, 5, 6};

constexpr PrinterFamily kTspl{.modelNumber = 20,
                              .options = kTsplOptions,
                              .label = true,
                              .darknessLevels = 16,
                              .darknessConfigured = 53,
                              .speeds = kTsplSpeeds,
                              .quarterTurns = true,
                              .rawFormat = "application/vnd.thermal-tspl"};
constexpr PrinterFamily kEscPos{
    .modelNumber = 21, .options = kEscPosOptions, .rawFormat = "application/vnd.thermal-escpos"};
constexpr PrinterFamily kCpcl{.modelNumber = 22,
                              .options = kCpclOptions,
                              .label = true,
                              .quarterTurns = true,
                              .rawFormat = "application/vnd.thermal-cpcl"};
constexpr PrinterFamily kPaperang{.modelNumber = 23,
                                  .options = kPaperangOptions,
                                  .rawFormat = "application/vnd.thermal-paperang",
                                  .checksumSeed = true};
constexpr PrinterFamily kPeriPage{.modelNumber = 24,
                                  .options = kPeriPageOptions,
                                  .darknessLevels = 6,
                                  .darknessConfigured = 50,
                                  .rawFormat = "application/vnd.thermal-peripage"};
constexpr PrinterFamily kZpl{.modelNumber = 25,
                             .options = kZplOptions,
                             .label = true,
                             .darknessLevels = 31,
                             .darknessConfigured = 50,
                             .speeds = kZplSpeeds,
                             .quarterTurns = true,
                             .rawFormat = "application/vnd.thermal-zpl"};
constexpr PrinterFamily kEpl{.modelNumber = 26,
                             .options = kEplOptions,
                             .label = true,
                             .darknessLevels = 16,
                             .darknessConfigured = 50,
                             .speeds = kEplSpeeds,
                             .quarterTurns = true,
                             .rawFormat = "application/vnd.thermal-epl"};

constexpr PrinterFamily kBrotherQl{.modelNumber = 27,
                                   .options = kBrotherQlOptions,
                                   .label = true,
                                   .rawFormat = "application/vnd.thermal-brother-ql",
                                   .doubleLines = true};
constexpr PrinterFamily kDymo{.modelNumber = 28,
                              .options = kDymoOptions,
                              .label = true,
                              .darknessLevels = 4,
                              .darknessConfigured = 67,
                              .rawFormat = "application/vnd.thermal-dymo",
                              .doubleLines = true};

constexpr const char* kLabels4in[] = {
    "oe_4x6-label_4x6in", "oe_4x4-label_4x4in",     "oe_4x3-label_4x3in",
    "oe_4x2-label_4x2in", "oe_3x2-label_3x2in",     "oe_w225h125-label_2.25x1.25in",
    "oe_2x1-label_2x1in", "om_100x150mm_100x150mm", "om_100x100mm_100x100mm",
    "om_60x40mm_60x40mm", "om_58x40mm_58x40mm",     "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
};
constexpr const char* kLabels3in[] = {
    "oe_3x2-label_3x2in", "oe_w225h125-label_2.25x1.25in",
    "oe_2x1-label_2x1in", "om_60x40mm_60x40mm",
    "om_58x40mm_58x40mm", "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
};
constexpr const char* kLabels2in[] = {
    "oe_2x1-label_2x1in", "oe_2x2-label_2x2in", "oe_2x3-label_2x3in",
    "om_50x30mm_50x30mm", "om_40x30mm_40x30mm",
};
constexpr const char* kRoll58[] = {
    "om_58x100mm_58x100mm", "om_58x50mm_58x50mm",   "om_58x150mm_58x150mm",
    "om_58x200mm_58x200mm", "om_58x297mm_58x297mm",
};
constexpr const char* kRoll80[] = {
    "om_80x100mm_80x100mm", "om_80x50mm_80x50mm",   "om_80x150mm_80x150mm",
    "om_80x200mm_80x200mm", "om_80x297mm_80x297mm",
};

// Die-cut labels first (62 x 100 mm the default), then continuous tapes.
constexpr const char* kBrotherQlMedia[] = {
    "om_62x100mm_62x100mm", "om_62x29mm_62x29mm",   "om_29x90mm_29x90mm",
    "om_12x50mm_12x50mm",   "om_29x100mm_29x100mm", "om_38x100mm_38x100mm",
    "om_50x100mm_50x100mm", "om_54x100mm_54x100mm", "om_62x150mm_62x150mm",
};
// 99012 address, 11354 multi-purpose, 99014 shipping; 1744907 4 x 6 in.
constexpr const char* kDymoLabels[] = {
    "om_36x89mm_36x89mm",
    "om_32x57mm_32x57mm",
    "om_54x101mm_54x101mm",
};
constexpr const char* kDymo4xlLabels[] = {
    "oe_4x6-label_4x6in",
    "om_36x89mm_36x89mm",
    "om_32x57mm_32x57mm",
    "om_54x101mm_54x101mm",
};

constexpr DriverInfo kDrivers[] = {
    {"tspl_203", "Generic TSPL label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 203dpi;", &kTspl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"tspl_300", "Generic TSPL label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:TSPL;MDL:TSPL Label 300dpi;", &kTspl, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"escpos_58", "Generic ESC/POS receipt printer, 58 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 58mm;", &kEscPos, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"escpos_80", "Generic ESC/POS receipt printer, 80 mm paper",
     "MFG:Generic;CMD:ESC/POS;MDL:ESC/POS Receipt 80mm;", &kEscPos, 203, 576, 395, kRoll80,
     "roll_min_79.7x12.7mm", "roll_max_80.1x1000mm"},
    {"cpcl_2in", "Generic CPCL label printer, 2-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 2inch;", &kCpcl, 203, 384, 136, kLabels2in,
     "roll_min_0.5x0.5in", "roll_max_2x39.37in"},
    {"cpcl_3in", "Generic CPCL label printer, 3-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 3inch;", &kCpcl, 203, 576, 100, kLabels3in,
     "roll_min_0.5x0.5in", "roll_max_3x39.37in"},
    {"cpcl_4in", "Generic CPCL label printer, 4-inch head",
     "MFG:Generic;CMD:CPCL;MDL:CPCL Label 4inch;", &kCpcl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"paperang_203", "Generic Paperang mini printer, 203 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 203dpi;", &kPaperang, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"paperang_300", "Generic Paperang mini printer, 300 dpi",
     "MFG:Paperang;CMD:Paperang;MDL:Paperang 300dpi;", &kPaperang, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"peripage_203", "Generic PeriPage mini printer, 203 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 203dpi;", &kPeriPage, 203, 384, 497, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    {"zpl_203", "Generic ZPL II label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 203dpi;", &kZpl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"zpl_300", "Generic ZPL II label printer, 300 dpi, 4-inch head",
     "MFG:Generic;CMD:ZPL;MDL:ZPL Label 300dpi;", &kZpl, 300, 1248, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"epl_203", "Generic EPL2 label printer, 203 dpi, 4-inch head",
     "MFG:Generic;CMD:EPL;MDL:EPL2 Label 203dpi;", &kEpl, 203, 832, 100, kLabels4in,
     "roll_min_0.5x0.5in", "roll_max_4.1x39.37in"},
    {"peripage_300", "Generic PeriPage mini printer, 300 dpi",
     "MFG:PeriPage;CMD:ESC/POS;MDL:PeriPage 300dpi;", &kPeriPage, 300, 576, 460, kRoll58,
     "roll_min_57x12.7mm", "roll_max_58.2x1000mm"},
    // The page is as wide as the tape or label; the encoder places it on
    // the head.
    {"brother_ql", "Brother QL-500 to QL-820NWB label printer", "MFG:Brother;MDL:QL-700;",
     &kBrotherQl, 300, 733, 0, kBrotherQlMedia, "roll_min_12x12.7mm", "roll_max_62x1000mm"},
    {"dymo_lw", "DYMO LabelWriter 400, 450, 450 Turbo, 450 Twin Turbo",
     "MFG:DYMO;MDL:LabelWriter 450;", &kDymo, 300, 672, 0, kDymoLabels, "roll_min_19x12.7mm",
     "roll_max_57x1000mm"},
    {"dymo_lw_4xl", "DYMO LabelWriter 4XL", "MFG:DYMO;MDL:LabelWriter 4XL;", &kDymo, 300, 1248, 0,
     kDymo4xlLabels, "roll_min_19x12.7mm", "roll_max_4.16x39.37in"},
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

const char* FamilyDefault(const PrinterFamily& family, std::string_view keyword) {
    for (const FamilyOption& o : family.options)
        if (keyword == o.keyword) return o.choice;
    return nullptr;
}

bool PrinterSettingByDefault(const PrinterFamily& family, std::string_view keyword) {
    const char* choice = FamilyDefault(family, keyword);
    return choice && std::string_view(choice) == "Default";
}

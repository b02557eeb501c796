#pragma once

#include <span>
#include <string_view>

// One print option of a printer family as its PPD has it: the option
// keyword and the default choice.
struct FamilyOption {
    const char* keyword;
    const char* choice;
};

// What a printer family is: its language (the model number of its PPDs),
// the print options its PPDs offer and what its IPP side looks like.
struct PrinterFamily {
    const char* language;  // "TSPL", ...: for make-and-model and the log
    int modelNumber;
    std::span<const FamilyOption> options;
    bool label;                   // label printer (else receipt/roll printer)
    int darknessLevels;           // 0: no darkness setting
    int darknessConfigured;       // printer-darkness-configured at the factory
    bool darknessUnsetByDefault;  // the factory setting sends no darkness command
    bool quarterTurns;            // rotation by 90 degrees fits the media
    const char* rawFormat;        // MIME type passed to the printer untouched
};

// One driver: a family at one resolution and head width, with its media.
struct DriverInfo {
    const char* name;
    const char* makeAndModel;
    const char* deviceId;
    const PrinterFamily* family;
    int dpi;
    int headDots;    // printable width in dots: wider pages are cut to it, centred
    int sideMargin;  // hundredths of millimetres, left and right
    std::span<const char* const> media;  // the first one is the default
    const char* rollMin;
    const char* rollMax;
};

std::span<const DriverInfo> Drivers();
const DriverInfo* FindDriver(std::string_view name);
// The default choice of an option in the family's PPD, or null when its
// PPDs don't have the option.
const char* FamilyDefault(const PrinterFamily& family, std::string_view keyword);

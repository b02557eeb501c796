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
    int modelNumber = 0;
    std::span<const FamilyOption> options{};
    bool label = false;             // label printer (else receipt/roll printer)
    int darknessLevels = 0;         // 0: no darkness setting
    int darknessConfigured = 0;     // printer-darkness-configured at the factory
    std::span<const int> speeds{};  // inches per second; empty: no speed setting
    bool quarterTurns = false;      // rotation by 90 degrees fits the media
    const char* rawFormat = "";     // MIME type passed to the printer untouched
    bool checksumSeed = false;      // packets carry a checksum from a seed the printer shares
    bool doubleLines = false;       // also prints at twice the resolution down the page
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
// The option's default in the PPDs is "Default": the printer's own setting,
// no command at all.
bool PrinterSettingByDefault(const PrinterFamily& family, std::string_view keyword);

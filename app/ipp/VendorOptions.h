#pragma once

#include <span>
#include <string>
#include <string_view>

struct Language;

// A keyword of a vendor attribute, the PPD choice it stands for and its
// name on the web pages.
struct VendorKeyword {
    const char* keyword;
    const char* choice;
    const char* label;
    // Names of the languages whose PPDs have the choice ("tspl zpl"); null
    // for every language that has the option.
    const char* languages = nullptr;
};

// A print option without a standard IPP attribute, offered as a vendor
// attribute "thermal-...": a list of keywords, or an integer range whose
// value is the choice itself.
struct VendorOption {
    const char* name;
    const char* ppdKeyword;
    std::span<const VendorKeyword> keywords;  // empty: a range
    int min, max;
    bool rollsOnly;     // only for receipt and mini printers
    const char* label;  // on the web pages, with the unit of a range
    // Set for the application's own options, which no PPD has: every
    // printer offers them, with this default choice.
    const char* appDefault = nullptr;
};

std::span<const VendorOption> VendorOptions();
bool AppliesTo(const VendorOption& option, const Language& language);
// Whether printers of the language take the keyword; null: any language.
bool TakesKeyword(const VendorKeyword& keyword, const Language* language);
// The option's default choice for printers of the language.
const char* DefaultChoice(const VendorOption& option, const Language& language);

// The PPD choice for an IPP value (a keyword the language takes, or an
// integer as text that is clamped to the range); empty when the value
// means nothing.
std::string ChoiceForValue(const VendorOption& option, std::string_view value,
                           const Language* language = nullptr);
// The IPP value for a PPD choice, the reverse of ChoiceForValue.
std::string ValueForChoice(const VendorOption& option, std::string_view choice);

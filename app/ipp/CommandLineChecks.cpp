#include "app/ipp/CommandLineChecks.h"

#include <cups/cups.h>

#include <algorithm>
#include <iterator>
#include <string_view>

#include "app/devices/DeviceRules.h"
#include "app/ipp/JobAttributeNames.h"
#include "app/ipp/SettingValues.h"
#include "app/ipp/VendorOptions.h"

namespace {
std::string OptionsError(const char* text) {
    cups_option_t* options = nullptr;
    const int count = cupsParseOptions(text, 0, &options);
    std::string error;
    for (int i = 0; i < count && error.empty(); i++) {
        const VendorOption* option = FindVendorOption(options[i].name);
        if (!option) option = FindVendorOption(options[i].name, "-default");
        if (option && option->keywords.empty()) error = ValueError(*option, options[i].value);
    }
    cupsFreeOptions(count, options);
    return error;
}
// -o names `submit` takes besides job attributes: operation attributes and
// the members of media-col.
constexpr std::string_view kSubmitOptions[] = {
    "compression",      "media-left-offset", "media-source",
    "media-top-offset", "media-tracking",    "media-type",
};

bool SubmitTakes(std::string_view name) {
    if (name.ends_with("-default")) name.remove_suffix(8);
    return KnownJobAttribute(name) ||
           std::find(std::begin(kSubmitOptions), std::end(kSubmitOptions), name) !=
               std::end(kSubmitOptions);
}

void AddUnknownOptions(const char* text, std::vector<std::string>& warnings) {
    cups_option_t* options = nullptr;
    const int count = cupsParseOptions(text, 0, &options);
    for (int i = 0; i < count; i++)
        if (!SubmitTakes(options[i].name))
            warnings.push_back(std::string("Ignored -o ") + options[i].name +
                               ": this printer has no such option.");
    cupsFreeOptions(count, options);
}

// The value of -v, or null; options that take a value may share one dash
// ("-dv NAME URI"), as PAPPL reads them.
const char* DeviceUriArgument(int argc, char* argv[]) {
    constexpr std::string_view kTakeValues = "dhjmnotuv";
    for (int i = 1; i < argc; i++) {
        const std::string_view arg = argv[i];
        if (!arg.starts_with('-') || arg.starts_with("--")) continue;
        for (char letter : arg.substr(1)) {
            if (kTakeValues.find(letter) == std::string_view::npos || i + 1 >= argc) continue;
            if (letter == 'v') return argv[i + 1];
            i++;
        }
    }
    return nullptr;
}

// The values of the -o options of the command line.
std::vector<const char*> OptionTexts(int argc, char* argv[]) {
    std::vector<const char*> texts;
    for (int i = 1; i < argc; i++) {
        const std::string_view arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            texts.push_back(argv[++i]);
        else if (arg.starts_with("-o") && arg.size() > 2)
            texts.push_back(argv[i] + 2);
    }
    return texts;
}
}  // namespace

std::vector<std::string> CommandLineWarnings(int argc, char* argv[]) {
    std::vector<std::string> warnings;
    if (argc < 2 || std::string_view(argv[1]) != "submit") return warnings;
    for (const char* text : OptionTexts(argc, argv)) AddUnknownOptions(text, warnings);
    return warnings;
}

std::string CommandLineError(int argc, char* argv[]) {
    if (argc > 1 && std::string_view(argv[1]) == "modify")
        if (const char* uri = DeviceUriArgument(argc, argv)) {
            if (std::string error = DeviceUriFormError(uri); !error.empty()) return error;
            return "A printer's device cannot be changed: delete the printer and add it again "
                   "with -v " +
                   std::string(uri) + ".";
        }
    for (const char* text : OptionTexts(argc, argv))
        if (std::string error = OptionsError(text); !error.empty()) return error;
    return std::string();
}

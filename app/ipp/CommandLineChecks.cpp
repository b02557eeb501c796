#include "app/ipp/CommandLineChecks.h"

#include <cups/cups.h>

#include <cstdlib>
#include <string_view>

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
        char* end = nullptr;
        std::strtol(options[i].value, &end, 10);
        const bool number = *options[i].value && !*end;
        if (option && option->keywords.empty() && !number)
            error = ValueError(*option, options[i].value);
    }
    cupsFreeOptions(count, options);
    return error;
}
}  // namespace

std::string CommandLineError(int argc, char* argv[]) {
    for (int i = 1; i < argc; i++) {
        const std::string_view arg = argv[i];
        const char* value = nullptr;
        if (arg == "-o" && i + 1 < argc)
            value = argv[++i];
        else if (arg.starts_with("-o") && arg.size() > 2)
            value = argv[i] + 2;
        if (!value) continue;
        if (std::string error = OptionsError(value); !error.empty()) return error;
    }
    return std::string();
}

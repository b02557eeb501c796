#include "printers/Languages.h"

#include <algorithm>
#include <cctype>

namespace {
bool SameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}
}  // namespace

std::span<const Language> Languages() {
    return kLanguages;
}

const Language* FindLanguage(std::string_view name) {
    for (const Language& l : kLanguages)
        if (SameText(name, l.name) || SameText(name, l.title)) return &l;
    return nullptr;
}

const char* LanguageDefault(const Language& language, std::string_view keyword) {
    for (const LanguageOption& o : language.options)
        if (keyword == o.keyword) return o.choice;
    return nullptr;
}

bool PrinterSettingByDefault(const Language& language, std::string_view keyword) {
    const char* choice = LanguageDefault(language, keyword);
    return choice && std::string_view(choice) == "Default";
}

const Calibration* FindCalibration(const Language& language, std::string_view sensing) {
    const Calibration* any = nullptr;
    for (const Calibration& c : language.calibrations) {
        if (sensing == c.sensing) return &c;
        if (!any && (*c.sensing == '\0' || sensing.empty())) any = &c;
    }
    return any;
}

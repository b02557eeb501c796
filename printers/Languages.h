#pragma once

#include <array>
#include <span>
#include <string_view>
#include <tuple>

#include "languages/LanguageRows.h"
#include "printers/LanguageRow.h"

// The printer languages: one row per language with everything the front ends
// and the tools need to know about it. The filter and the application create
// its encoder from the row (printers/LanguageFactory.h), the application
// builds its drivers, raw format and options from it, USB auto-setup finds
// it from a device ID, and the preview tool names it by it. The rows are
// languages/<name>/Row.h; the build gathers them into kLanguageRows
// (languages/LanguageRows.h), in the order of languages/LanguageList.cmake,
// which is the order a device ID is matched against them.

// The languages of the table, in its order.
inline constexpr auto kLanguages =
    std::apply([](const auto&... row) { return std::array{row.language...}; }, kLanguageRows);

// The row of a model number, or null; usable in constant expressions.
constexpr const Language* LanguageOfModel(int modelNumber) {
    for (const Language& l : kLanguages)
        if (l.modelNumber == modelNumber) return &l;
    return nullptr;
}

std::span<const Language> Languages();
// The row whose name or title is this text in any case ("escpos", "ESC/POS",
// "epl2"), or null.
const Language* FindLanguage(std::string_view name);
// The default choice of an option in the language's PPDs, or null when its
// PPDs don't have the option.
const char* LanguageDefault(const Language& language, std::string_view keyword);
// The option's default in the PPDs is "Default": the printer's own setting,
// no command at all.
bool PrinterSettingByDefault(const Language& language, std::string_view keyword);
// The language's calibration for a sensing ("gap", "mark"): its command for
// that sensor, else the one that calibrates whatever sensor is set; null
// when the language has none.
const Calibration* FindCalibration(const Language& language, std::string_view sensing);

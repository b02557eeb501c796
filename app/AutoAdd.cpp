#include "app/AutoAdd.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <string>
#include <vector>

namespace {
enum class Language { Unknown, Tspl, EscPos, Cpcl, Zpl, Epl, Paperang, PeriPage };

std::string Upper(std::string_view text) {
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return "";
    return std::string(s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1));
}

// The fields of a device ID that say what the printer is, upper case.
struct DeviceId {
    std::string maker, model, description, commands;
};

DeviceId ParseDeviceId(std::string_view id) {
    DeviceId d;
    while (!id.empty()) {
        const size_t end = std::min(id.find(';'), id.size());
        const std::string_view pair = id.substr(0, end);
        id.remove_prefix(std::min(end + 1, id.size()));
        const size_t colon = pair.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string key = Upper(Trim(pair.substr(0, colon)));
        const std::string value = Upper(Trim(pair.substr(colon + 1)));
        if (key == "MFG" || key == "MANUFACTURER")
            d.maker = value;
        else if (key == "MDL" || key == "MODEL")
            d.model = value;
        else if (key == "DES" || key == "DESCRIPTION")
            d.description = value;
        else if (key == "CMD" || key == "COMMAND SET")
            d.commands = value;
    }
    return d;
}

// A command-set name with its punctuation taken out: ESC/POS, ESC-POS and
// ESC POS all read ESCPOS.
Language LanguageOfCommand(const std::string& command) {
    std::string s;
    for (char c : command)
        if (std::isalnum(static_cast<unsigned char>(c))) s += c;
    if (s == "TSPL" || s == "TSPL2") return Language::Tspl;
    if (s == "ESCPOS" || s == "POS") return Language::EscPos;
    if (s == "CPCL") return Language::Cpcl;
    if (s == "ZPL" || s == "ZPL2" || s == "ZPLII") return Language::Zpl;
    if (s == "EPL" || s == "EPL2") return Language::Epl;
    return Language::Unknown;
}

Language LanguageOf(const DeviceId& d) {
    const std::string name = d.maker + " " + d.model + " " + d.description;
    if (name.find("PAPERANG") != std::string::npos) return Language::Paperang;
    if (name.find("PERIPAGE") != std::string::npos) return Language::PeriPage;
    std::string commands = d.commands;
    for (size_t start = 0; start <= commands.size();) {
        const size_t comma = std::min(commands.find(',', start), commands.size());
        const Language l = LanguageOfCommand(commands.substr(start, comma - start));
        if (l != Language::Unknown) return l;  // the first one the printer names
        start = comma + 1;
    }
    return Language::Unknown;
}

// The first number the pattern finds in the model text, or 0.
int NumberIn(const std::string& text, const char* pattern) {
    std::smatch m;
    const std::regex re(pattern);
    return std::regex_search(text, m, re) ? std::stoi(m[1].str()) : 0;
}

bool Is300Dpi(const std::string& model) {
    return NumberIn(model, R"((\d{3}) ?-?DPI)") == 300;
}

// Paper or head width in millimetres from "80mm", "3 inch", "2in", 2" or a
// model number such as POS-80 or XP-58; 0 when the text doesn't tell.
int WidthMm(const std::string& model) {
    if (int mm = NumberIn(model, R"((\d{2,3}(?:\.\d)?) ?MM)")) return mm;
    if (int in = NumberIn(model, R"((?:^|[^0-9.])([234])(?:\.\d+)? ?-?(?:(?:INCHES|INCH|IN)\b|"))"))
        return in * 254 / 10;
    return NumberIn(model, R"((?:^|[^0-9])(58|80)(?:[^0-9]|$))");
}

// Printers that speak their maker's own raster language, by maker and model
// as their device ID names them (upper case).
struct KnownModel {
    const char* maker;
    const char* model;
    const char* driver;
};

constexpr KnownModel kKnownModels[] = {
    {"BROTHER", "QL-570", "brother_ql"},
    {"BROTHER", "QL-700", "brother_ql"},
    {"BROTHER", "QL-710W", "brother_ql"},
    {"BROTHER", "QL-720NW", "brother_ql"},
    {"BROTHER", "QL-800", "brother_ql"},
    {"BROTHER", "QL-810W", "brother_ql"},
    {"BROTHER", "QL-820NWB", "brother_ql"},
    {"DYMO", "LABELWRITER 400", "dymo_lw"},
    {"DYMO", "LABELWRITER 450", "dymo_lw"},
    {"DYMO", "LABELWRITER 450 TURBO", "dymo_lw"},
    {"DYMO", "LABELWRITER 450 TWIN TURBO", "dymo_lw"},
    {"DYMO", "LABELWRITER 4XL", "dymo_lw_4xl"},
};

const char* KnownModelDriver(const DeviceId& d) {
    for (const KnownModel& k : kKnownModels)
        if (d.maker == k.maker && d.model == k.model) return k.driver;
    return nullptr;
}

const char* CpclDriver(int mm) {
    if (mm > 85) return "cpcl_4in";
    if (mm > 60) return "cpcl_3in";
    return "cpcl_2in";  // the narrowest head: an unknown width never clips
}
}  // namespace

const char* DriverForDeviceId(std::string_view deviceId) {
    const DeviceId d = ParseDeviceId(deviceId);
    if (const char* driver = KnownModelDriver(d)) return driver;
    const std::string model = d.model + " " + d.description;
    const bool dpi300 = Is300Dpi(model);
    switch (LanguageOf(d)) {
        case Language::Tspl:
            return dpi300 ? "tspl_300" : "tspl_203";
        case Language::Zpl:
            return dpi300 ? "zpl_300" : "zpl_203";
        case Language::Epl:
            return "epl_203";
        case Language::Cpcl:
            return CpclDriver(WidthMm(model));
        case Language::EscPos:
            return WidthMm(model) >= 70 ? "escpos_80" : "escpos_58";
        case Language::Paperang:
            return dpi300 ? "paperang_300" : "paperang_203";
        case Language::PeriPage:
            return dpi300 ? "peripage_300" : "peripage_203";
        case Language::Unknown:
            break;
    }
    return nullptr;
}

const char* AutoAddDriver(const char*, const char*, const char* deviceId, void*) {
    return deviceId ? DriverForDeviceId(deviceId) : nullptr;
}

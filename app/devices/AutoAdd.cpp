#include "app/devices/AutoAdd.h"

#include <cups/cups.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "app/devices/DriverDetection.h"
#include "app/drivers/DriverCatalog.h"
#include "printers/Languages.h"

namespace {
// Set once before the server takes requests.
std::atomic<pappl_system_t*> g_log{nullptr};

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

bool Contains(std::span<const char* const> names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// A command-set name with its punctuation taken out: ESC/POS, ESC-POS and
// ESC POS all read ESCPOS.
const Language* LanguageOfCommand(const std::string& command) {
    std::string s;
    for (char c : command)
        if (std::isalnum(static_cast<unsigned char>(c))) s += c;
    for (const Language& l : Languages())
        if (Contains(l.commandSets, s)) return &l;
    return nullptr;
}

// A language named by the maker, model or description wins; else the first
// command set the printer names that is a language of the table.
const Language* LanguageOf(const DeviceId& d) {
    const std::string name = d.maker + " " + d.model + " " + d.description;
    for (const Language& l : Languages())
        for (const char* word : l.deviceNames)
            if (name.find(word) != std::string::npos) return &l;
    const std::string& commands = d.commands;
    for (size_t start = 0; start <= commands.size();) {
        const size_t comma = std::min(commands.find(',', start), commands.size());
        if (const Language* l = LanguageOfCommand(commands.substr(start, comma - start))) return l;
        start = comma + 1;
    }
    return nullptr;
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

// The driver that lists the printer's maker and model, or null.
const char* KnownModelDriver(const DeviceId& d) {
    const std::string model = d.maker + " " + d.model;
    for (const DriverInfo& driver : Drivers())
        if (std::ranges::find(driver.models, model) != driver.models.end()) return driver.name;
    return nullptr;
}

// The widest paper a driver takes, in hundredths of millimetres.
int PaperWidth(const DriverInfo& driver) {
    const pwg_media_t* roll = pwgMediaForPWG(driver.rollMax);
    return roll ? roll->width : 0;
}

// 300 dpi when the model names it and the language has a 300 dpi driver,
// else the lowest resolution the drivers have.
int ChosenDpi(const std::vector<const DriverInfo*>& drivers, bool dpi300) {
    int lowest = drivers.front()->dpi;
    for (const DriverInfo* d : drivers) {
        if (dpi300 && d->dpi == 300) return 300;
        lowest = std::min(lowest, d->dpi);
    }
    return lowest;
}

// Of the language's drivers at the chosen resolution, the one whose paper is
// closest to the width the model names; the narrowest when it names none, so
// that an unknown width never clips.
const DriverInfo* DriverFor(const Language& language, bool dpi300, int widthMm) {
    std::vector<const DriverInfo*> drivers;
    for (const DriverInfo& d : Drivers())
        if (d.language == &language) drivers.push_back(&d);
    if (drivers.empty()) return nullptr;
    const int dpi = ChosenDpi(drivers, dpi300);
    std::erase_if(drivers, [dpi](const DriverInfo* d) { return d->dpi != dpi; });
    auto distance = [widthMm](const DriverInfo* d) {
        return widthMm > 0 ? std::abs(PaperWidth(*d) - widthMm * 100) : PaperWidth(*d);
    };
    return *std::min_element(
        drivers.begin(), drivers.end(),
        [&](const DriverInfo* a, const DriverInfo* b) { return distance(a) < distance(b); });
}
}  // namespace

const char* DriverForDeviceId(std::string_view deviceId) {
    const DeviceId d = ParseDeviceId(deviceId);
    if (const char* driver = KnownModelDriver(d)) return driver;
    const Language* language = LanguageOf(d);
    if (!language) return nullptr;
    const std::string model = d.model + " " + d.description;
    const DriverInfo* driver = DriverFor(*language, Is300Dpi(model), WidthMm(model));
    return driver ? driver->name : nullptr;
}
const char* DriverForLanguage(const Language& language) {
    const DriverInfo* driver = DriverFor(language, false, 0);
    return driver ? driver->name : nullptr;
}

void SetAutoAddLog(pappl_system_t* system) {
    g_log = system;
}

const char* AutoAddDriver(const char*, const char* deviceUri, const char* deviceId, void*) {
    const std::string uri = deviceUri ? deviceUri : "";
    std::string detail;
    const char* driver = DetectDriver(uri, deviceId ? deviceId : "", detail);
    if (pappl_system_t* system = g_log.load(); system && !uri.empty()) {
        if (driver)
            papplLog(system, PAPPL_LOGLEVEL_INFO, "Driver \"%s\" found for %s.", driver,
                     uri.c_str());
        else
            papplLog(system, PAPPL_LOGLEVEL_INFO,
                     "Could not tell which language the printer at %s speaks: %s.", uri.c_str(),
                     detail.c_str());
    }
    return driver;
}

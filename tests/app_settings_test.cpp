// The printer settings through the command line, as a shop owner sets them:
// every option `options` shows is taken by `modify` under the name shown,
// comes back after a restart, and so does a paused printer.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/AppServer.h"

namespace {
// One option as `options` shows it: its current value, the other values it
// lists, a range ("A to B"), or free text ('LOCATION').
struct Shown {
    std::string name;
    std::string current;
    std::vector<std::string> others;
    std::string low, high;
    bool text = false;
};

std::vector<Shown> ParseOptions(const std::string& listing) {
    std::vector<Shown> shown;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  -o ")) continue;
        const size_t equals = line.find('=');
        const std::string name = line.substr(5, equals - 5);
        std::string rest = line.substr(equals + 1);
        if (shown.empty() || shown.back().name != name) {
            shown.emplace_back();
            shown.back().name = name;
        }
        Shown& s = shown.back();
        const bool isDefault = rest.ends_with(" (default)");
        if (isDefault) rest.resize(rest.size() - 10);
        if (const size_t to = rest.find(" to "); to != std::string::npos) {
            s.low = rest.substr(0, to);
            s.high = rest.substr(to + 4);
        } else if (rest.starts_with("'")) {
            s.text = true;
        } else {
            rest = rest.substr(0, rest.find(' '));  // media: "NAME (4x6in or ...)"
            (isDefault ? s.current : s.others.emplace_back()) = rest;
        }
    }
    return shown;
}

// The value to set: another listed value, the range's end that is not the
// current value, or a text; empty when there is no other value.
std::string OtherValue(const Shown& s) {
    if (s.name == "printer-geo-location") return "geo:52.5,13.25";
    if (s.text) return "Shelf 3";
    if (!s.others.empty()) return s.others.front();
    if (!s.high.empty()) return s.current == s.high ? s.low : s.high;
    return "";
}

std::vector<std::string> DriverNames(AppServer& app) {
    std::string listing;
    app.Command({"drivers"}, &listing);
    std::vector<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.find('"') != std::string::npos)
            names.push_back(line.substr(0, line.find(' ')));
    return names;
}

// What `options` shows as the option's current value, or the printer
// attribute for free text.
std::string Current(AppServer& app, const std::string& printer, const Shown& s,
                    const std::vector<Shown>& now) {
    if (s.text) return app.Attribute(printer, s.name);
    for (const Shown& n : now)
        if (n.name == s.name) return n.current;
    return "(not shown)";
}
}  // namespace

// For every driver: each option `options` shows set to a value it lists
// (each listed medium in turn), the printer paused, a restart; then every
// value and the pause are still there.
TEST(AppSettings, EveryShownOptionIsTakenAndKeptWithThePause) {
    AppServer app;
    const std::vector<std::string> drivers = DriverNames(app);
    ASSERT_GE(drivers.size(), 17u);
    struct Set {
        std::string printer;
        Shown option;
        std::string value;
    };
    std::vector<Set> sets;
    for (const std::string& driver : drivers) {
        SCOPED_TRACE(driver);
        ASSERT_TRUE(app.AddPrinter(driver, driver));
        std::string listing;
        ASSERT_EQ(app.Command({"options", "-d", driver}, &listing), 0);
        for (const Shown& s : ParseOptions(listing)) {
            const std::string value = OtherValue(s);
            if (value.empty()) continue;
            if (s.name == "media")
                for (const std::string& medium : s.others) {
                    std::string said;
                    EXPECT_EQ(app.Command({"modify", "-d", driver, "-o", "media=" + medium}, &said),
                              0)
                        << medium << ": " << said;
                }
            std::string said;
            const std::string quoted = s.text ? "'" + value + "'" : value;
            EXPECT_EQ(app.Command({"modify", "-d", driver, "-o", s.name + "=" + quoted}, &said), 0)
                << s.name << "=" << value << ": " << said;
            sets.push_back({driver, s, value});
        }
        ASSERT_EQ(app.Command({"pause", "-d", driver}), 0);
    }
    app.Restart();
    for (const std::string& driver : drivers) {
        std::string listing, status;
        app.Command({"options", "-d", driver}, &listing);
        app.Command({"status", "-d", driver}, &status);
        EXPECT_NE(status.find("paused"), std::string::npos) << driver << ": " << status;
        const std::vector<Shown> now = ParseOptions(listing);
        for (const Set& s : sets)
            if (s.printer == driver) {
                EXPECT_EQ(Current(app, driver, s.option, now), s.value)
                    << driver << " " << s.option.name;
            }
    }
    EXPECT_TRUE(app.Alive());
}

// What `status` and `modify` say about names that are not there and
// values out of range; nothing changes.
TEST(AppSettings, UnknownPrintersAndOptionNamesAreErrors) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("label", "tspl_203"));
    const struct {
        std::vector<std::string> args;
        std::string says;
    } rows[] = {
        {{"status", "-d", "nosuch"},
         "thermal-printer-app: There is no printer \"nosuch\" (\"thermal-printer-app printers\" "
         "lists them).\n"},
        {{"modify", "-d", "label", "-o", "thermal-dithr=stucki"},
         "thermal-printer-app: Unknown option \"thermal-dithr\": printer \"label\" takes copies, "
         "label-tear-offset, media, "},
        {{"modify", "-d", "nosuch", "-o", "thermal-dither=stucki"},
         "thermal-printer-app: Unable to modify printer: printer-uri"},
        {{"modify", "-d", "label", "-o", "printer-darkness=150"},
         "thermal-printer-app: Unable to modify printer: printer-darkness-configured takes a whole "
         "number from 0 to 100, not \"150\"."},
        {{"modify", "-d", "label", "-o", "label-tear-offset=20mm"},
         "thermal-printer-app: Unable to modify printer: label-tear-offset-configured takes a "
         "whole number from -300 to 1000, not \"2000\"."},
    };
    for (const auto& row : rows) {
        std::string said;
        EXPECT_EQ(app.Command(row.args, &said), 1) << row.args[0];
        EXPECT_EQ(said.substr(0, row.says.size()), row.says) << said;
    }
    EXPECT_EQ(app.Attribute("label", "thermal-dither-default"), "burkes");
}

// The printer settings through the command line, as a shop owner sets them:
// every option `options` shows is taken by `modify` under the name shown,
// comes back after a restart, and so does a paused printer.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/TempDir.h"

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

// What the command line says of printers, jobs and names that are not
// there and of numbers out of range (at the range's edges, past 32 bits,
// below zero, lengths in the units typed): each is refused with its range
// and nothing changes, before anything is sent.
TEST(AppSettings, UnknownNamesAndNumbersOutOfRangeAreRefused) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("label", "tspl_203"));
    const std::string file = app.Dir() + "/empty.pwg";
    const std::string app_ = "thermal-printer-app: ";  // how each message starts
    const std::string threshold = app_ + "thermal-threshold takes a whole number from 64 to 240, ";
    const struct {
        std::vector<std::string> args;
        std::string says;  // how its output starts
        int exit = 1;
    } rows[] = {
        {{"status", "-d", "nosuch"},
         app_ + "There is no printer \"nosuch\" (\"thermal-printer-app printers\" lists them).\n"},
        {{"jobs", "-d", "nosuch"}, app_ + "There is no printer \"nosuch\""},
        {{"cancel", "-d", "nosuch"}, app_ + "There is no printer \"nosuch\""},
        {{"cancel", "-d", "label", "-j", "99"}, app_ + "There is no job 99 on \"label\""},
        {{"status", "-d", "label", "-j", "99"}, app_ + "There is no job 99 on \"label\""},
        {{"add", "-d", "", "-m", "tspl_203", "-v", "file://" + app.DevicePath("label")},
         app_ + "Unable to add printer: A printer needs a name (\"-d NAME\")"},
        {{"modify", "-d", "label", "-o", "thermal-dithr=stucki"},
         app_ + "Unknown option \"thermal-dithr\": printer \"label\" takes copies, "
                "label-tear-offset, media, "},
        {{"modify", "-d", "nosuch", "-o", "thermal-dither=stucki"},
         app_ + "Unable to modify printer: printer-uri"},
        {{"modify", "-d", "label", "-o", "thermal-threshold=64"}, "", 0},
        {{"modify", "-d", "label", "-o", "thermal-threshold=63"}, threshold + "not \"63\"."},
        {{"modify", "-d", "label", "-o", "thermal-threshold=4294967446"},
         threshold + "not \"4294967446\"."},
        {{"modify", "-d", "label", "-o", "thermal-threshold=-4294967146"},
         threshold + "not \"-4294967146\"."},
        {{"modify", "-d", "label", "-o", "thermal-threshold-default=99999999999999999999"},
         threshold + "not \"99999999999999999999\"."},
        {{"submit", "-d", "label", "-o", "thermal-threshold=4294967446", file},
         threshold + "not \"4294967446\"."},
        {{"submit", "-d", "label", "-o", "page-ranges=2-4294967297", file},
         app_ + "page-ranges takes pages as FIRST-LAST from 1 to 2147483647 (\"2-5\", \"3-\"), "
                "not \"2-4294967297\"."},
        {{"modify", "-d", "label", "-o", "thermal-brightness=-101"},
         app_ + "thermal-brightness takes a whole number from -100 to 100, not \"-101\"."},
        {{"modify", "-d", "label", "-o", "printer-darkness=101"},
         app_ + "printer-darkness takes a whole number from 0 to 100, not \"101\"."},
        {{"modify", "-d", "label", "-o", "copies-default=0"},
         app_ + "copies-default takes a whole number from 1 to 999, not \"0\"."},
        {{"modify", "-d", "label", "-o", "media-left-offset=24mm"}, "", 0},
        {{"modify", "-d", "label", "-o", "media-left-offset=30mm"},
         app_ + "media-left-offset takes 0mm to 24mm, not \"30mm\"."},
        {{"modify", "-d", "label", "-o", "media-left-offset=1in"},
         app_ + "media-left-offset takes 0in to 0.94in, not \"1in\"."},
        {{"modify", "-d", "label", "-o", "media-top-offset=-0.1cm"},
         app_ + "media-top-offset takes 0cm to 2.4cm, not \"-0.1cm\"."},
        {{"modify", "-d", "label", "-o", "media-top-offset=2401"},
         app_ + "media-top-offset takes 0 to 2400 hundredths of a millimetre (0mm to 24mm), "
                "not \"2401\"."},
        {{"modify", "-d", "label", "-o", "media-top-offset=3xx"},
         app_ + "media-top-offset takes 0mm to 24mm (a number with mm, cm or in), not \"3xx\"."},
        {{"modify", "-d", "label", "-o", "label-tear-offset=20mm"},
         app_ + "label-tear-offset takes -3mm to 10mm, not \"20mm\"."},
        {{"modify", "-d", "label", "-o", "print-speed=13in"},
         app_ + "print-speed takes 1in to 12in a second, not \"13in\"."},
    };
    WriteFileText(file, "");
    for (const auto& row : rows) {
        std::string said;
        EXPECT_EQ(app.Command(row.args, &said), row.exit) << row.args[0] << " " << said;
        EXPECT_EQ(said.substr(0, row.says.size()), row.says) << said;
    }
    EXPECT_EQ(app.Attribute("label", "thermal-dither-default"), "burkes");
    EXPECT_EQ(app.Attribute("label", "thermal-threshold-default"), "64");
    std::string shown, printers, status;
    app.Command({"options", "-d", "label"}, &shown);
    EXPECT_NE(shown.find("-o media-left-offset=24mm (default)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("-o media-top-offset=0in (default)"), std::string::npos) << shown;
    app.Command({"printers"}, &printers);
    EXPECT_EQ(printers, "label\n");
    EXPECT_EQ(app.Command({"jobs", "-d", "label"}, &shown), 0);
    EXPECT_EQ(shown, "");
    // Before any printer changed, the server's state dates from its start.
    EXPECT_EQ(app.Command({"status"}, &status), 0);
    EXPECT_EQ(status.find("1970"), std::string::npos) << status;
}

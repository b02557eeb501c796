#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/devices/AutoAdd.h"
#include "app/drivers/DriverCatalog.h"
#include "support/AppServer.h"
#include "support/PrinterSim.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

// Device IDs as USB printers report them, and the driver each one gets.
TEST(AutoAdd, PicksTheDriverFromTheDeviceId) {
    struct Case {
        const char* id;
        const char* driver;  // null: nothing is added
    };
    const Case cases[] = {
        {"MFG:TSC;CMD:TSPL2,EPL2,ZPL;MDL:TTP-244 Pro;CLS:PRINTER;", "tspl_203"},
        {"MFG:TSC;MDL:TTP-345 300 dpi;COMMAND SET:TSPL;", "tspl_300"},
        {"MFG:Zebra Technologies;CMD:ZPL;MDL:ZTC GK420d;", "zpl_203"},
        {"mfg:Zebra;cmd:ZPL;mdl:ZT410-300dpi;", "zpl_300"},
        {"MFG:Zebra;CMD:EPL2;MDL:LP2844;", "epl_203"},
        {"MFG:EPSON;CMD:ESCPOS;MDL:TM-T20II (80mm);", "escpos_80"},
        {"MFG:Xprinter;CMD:ESC/POS;MDL:XP-58IIH;", "escpos_58"},
        {"MFG:Generic;CMD:ESC-POS;MDL:POS-80C;", "escpos_80"},
        {"MFG:Generic;CMD:POS;MDL:Receipt Printer;", "escpos_58"},
        {"MFG:Generic;CMD:ESC POS;DES:Thermal receipt printer 80 mm;", "escpos_80"},
        {"MFG:Zebra;CMD:CPCL;MDL:QLn320 3 inch;", "cpcl_3in"},
        {"MFG:Zebra;CMD:CPCL,ZPL;MDL:ZQ520 4-inch;", "cpcl_4in"},
        {"MFG:Generic;CMD:CPCL;MDL:Mobile 2\";", "cpcl_2in"},
        {"MFG:Generic;CMD:CPCL;MDL:M300;", "cpcl_2in"},
        {"MFG:Paperang;MDL:P2S 300dpi;", "paperang_300"},
        {"MFG:Generic;MDL:PAPERANG P1;CMD:;", "paperang_203"},
        {"MFG:PeriPage;CMD:ESC/POS;MDL:A6;", "peripage_203"},
        {"MFG:Generic;MDL:PeriPage A40 300 DPI;", "peripage_300"},
        {"MFG:Brother;CMD:PT-CBP;MDL:QL-700;CLS:PRINTER;", "brother_ql"},
        {"MFG:Brother;MDL:QL-820NWB;", "brother_ql"},
        {"MFG:Brother;CMD:PT-CBP;MDL:PT-P700;", "ptouch_180"},
        {"MFG:Brother;MDL:PT-P710BT;", "ptouch_180"},
        {"MFG:Brother;CMD:PT-CBP;MDL:PT-P900W;", nullptr},  // 360 dpi: no driver
        {"MFG:DYMO;MDL:LabelWriter 450 Twin Turbo;", "dymo_lw"},
        {"MFG:DYMO;CMD: ;MDL:LabelWriter 4XL;", "dymo_lw_4xl"},
        {"MFG:Generic;MDL:GB02;", "cat_203"},
        {"MFG:Generic;CMD:Cat;MDL:Cat printer 58mm;", "cat_203"},
        {"MFG:Star;CMD:STAR;MDL:TSP143 (STR_T-001);", "star_80"},
        {"MFG:Star;CMD:STAR;MDL:TSP100 58mm;", "star_58"},
        {"MFG:Star Micronics;MDL:mC-Print2;", "star_58"},
        {"MFG: ;CMD:XPP,XL;MDL:PM-241-BT;CLS:PRINTER;DES:PM-241-BT;", "phomemo_pm241"},
        {"MFG:Phomemo;MDL:M02S;", "phomemo_m02"},
        {"MFG:Phomemo;MDL:M120;", "phomemo_m110"},
        {"MFG:DYMO;MDL:LabelWriter 550;", nullptr},
        {"MFG:HP;CMD:PJL,PCL,POSTSCRIPT;MDL:LaserJet 400;", nullptr},
        {"MFG:EPSON;CMD:ESC/P2,ESC/P;MDL:Stylus;", nullptr},
        {"MFG:Unknown;MDL:Thing;", nullptr},
        {"", nullptr},
        {"garbage without pairs", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const char* driver = DriverForDeviceId(c.id);
        EXPECT_EQ(std::string(driver ? driver : "(none)"), c.driver ? c.driver : "(none)");
    }
    EXPECT_EQ(AutoAddDriver(nullptr, nullptr, nullptr, nullptr), nullptr);
}

namespace {
std::string PrinterName(const char* language) {
    std::string name = std::string("auto_") + (language ? language : "none");
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

std::string Refusal(const std::string& uri) {
    return "Could not tell which language the printer at " + uri + " speaks; choose its driver.";
}

std::string MakeAndModel(const char* driver) {
    const DriverInfo* info = FindDriver(driver);
    return info ? info->makeAndModel : "";
}
}  // namespace

// "Auto-Detect Driver" for network printers (and one on a serial line), on
// the command line and the web page: a simulator of every language it plays
// is asked what it speaks,
// and the printer gets the driver its answer names (and prints with it), or
// is not created, with one sentence, for the languages that have no status
// query and where nothing listens. The adds run at once, as each may wait
// for every language's query.
TEST(AutoAdd, AsksNetworkPrintersWhichLanguageTheySpeak) {
    if (!PrinterSim::Built()) GTEST_SKIP() << "no simulator";
    struct Row {
        const char* language;  // the simulator's; null: nothing listens
        const char* driver;    // null: refused
    };
    // A P-touch answers the Brother QL query, asked first.
    const Row rows[] = {
        {"escpos", "escpos_58"},      {"peripage", "escpos_58"}, {"tspl", "tspl_203"},
        {"brother-ql", "brother_ql"}, {"dymo", "dymo_lw"},       {"zpl", "zpl_203"},
        {"cat", "cat_203"},           {"cpcl", nullptr},         {"epl", nullptr},
        {"paperang", nullptr},        {"star", "star_58"},       {"niimbot", "niimbot_b21_203"},
        {"phomemo", nullptr},         {"ptouch", "brother_ql"},  {nullptr, nullptr},
    };
    ASSERT_EQ(std::size(rows), Languages().size() + 1);
    AppServer app;
    std::vector<std::unique_ptr<PrinterSim>> sims;
    std::vector<std::string> uris;
    std::vector<std::vector<std::string>> adds;
    for (const Row& row : rows) {
        if (row.language)
            sims.push_back(
                std::make_unique<PrinterSim>(std::vector<std::string>{"--language", row.language}));
        uris.push_back(row.language ? sims.back()->Uri() : "socket://127.0.0.1:1");
        adds.push_back({"add", "-d", PrinterName(row.language), "-m", "auto", "-v", uris.back()});
    }
    // A NIIMBOT B-series on its USB serial port, which answers the last query.
    PrinterSim serial({"--language", "niimbot"}, true);
    adds.push_back({"add", "-d", "auto_serial", "-m", "auto", "-v", serial.Uri()});
    const auto results = app.Commands(adds);
    for (size_t i = 0; i < std::size(rows); i++) {
        const Row& row = rows[i];
        SCOPED_TRACE(PrinterName(row.language));
        const std::string name = PrinterName(row.language);
        EXPECT_EQ(results[i].first, row.driver ? 0 : 1) << results[i].second;
        if (row.driver) {
            EXPECT_EQ(app.Attribute(name, "printer-make-and-model"), MakeAndModel(row.driver));
        } else {
            EXPECT_NE(results[i].second.find(Refusal(uris[i])), std::string::npos)
                << results[i].second;
            EXPECT_EQ(app.Attribute(name, "printer-name"), "none");
        }
    }
    EXPECT_EQ(results.back().first, 0) << results.back().second;
    EXPECT_EQ(app.Attribute("auto_serial", "printer-make-and-model"),
              MakeAndModel("niimbot_b21_203"));
    // The driver found prints (a printer stored with "auto" failed every job).
    const std::string page = app.Dir() + "/page.pwg";
    WriteFileBytes(page, MakePwgRaster({MakePage(812, 40, 0, 8, 203)}));
    const int job = app.Print("auto_tspl", page, "image/pwg-raster");
    EXPECT_EQ(app.WaitForJob("auto_tspl", job), IPP_JSTATE_COMPLETED);
    EXPECT_TRUE(WaitUntil([&] { return sims[2]->Pages() == 1; }, 10000)) << sims[2]->Events();
    // The web page's "Network Printer" with "Auto-Detect Driver", both forms
    // at once (each page lists the devices it finds, which takes a while).
    auto web = [&](const std::string& name, const std::string& uri) {
        return std::async(std::launch::async, [&app, name, uri] {
            return app.SubmitForm("/addprinter", {{"printer_name", name},
                                                  {"device_uri", "socket"},
                                                  {"hostname", uri.substr(uri.find("127."))},
                                                  {"driver_name", "auto"}});
        });
    };
    auto zpl = web("web_zpl", uris[5]), epl = web("web_epl", uris[8]);
    zpl.get();
    EXPECT_EQ(app.Attribute("web_zpl", "printer-make-and-model"), MakeAndModel("zpl_203"));
    EXPECT_NE(epl.get().find(Refusal(uris[8] + "/")), std::string::npos);
    EXPECT_EQ(app.Attribute("web_epl", "printer-name"), "none");
    app.Restart([](const std::string& state) {
        const std::vector<uint8_t> bytes = ReadFileBytes(state);
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_NE(text.find("driver=\"zpl_203\""), std::string::npos) << text;
        EXPECT_EQ(text.find("driver=\"auto\""), std::string::npos) << text;
    });
}

// A state saved with the driver "auto" (by an older release): repaired at
// load when the printer's device ID tells its driver, else the printer is
// kept stopped, taking no jobs, and says why.
TEST(AutoAdd, RepairsOrMarksASavedAutoDriver) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("shelf", "tspl_203"));
    const std::string good = "file://" + app.DevicePath("old_good");
    const std::string bad = "file://" + app.DevicePath("old_bad");
    WriteFileText(app.DevicePath("old_good"), "");
    WriteFileText(app.DevicePath("old_bad"), "");
    app.Restart([&](const std::string& state) {
        std::ofstream out(state, std::ios::app);
        out << "<Printer did=\"MFG:EPSON;CMD:ESCPOS;MDL:TM-T20II (80mm);\" driver=\"auto\" "
               "id=\"7\" "
               "name=\"old_good\" uri=\""
            << good << "\">\n</Printer>\n"
            << "<Printer did=\"MFG:Unknown;MDL:Thing;\" driver=\"auto\" id=\"8\" name=\"old_bad\" "
               "uri=\""
            << bad << "\">\n</Printer>\n";
    });
    EXPECT_EQ(app.Attribute("old_good", "printer-make-and-model"), MakeAndModel("escpos_80"));
    EXPECT_EQ(app.Attribute("old_good", "printer-is-accepting-jobs"), "true");
    EXPECT_NE(app.Attribute("old_bad", "printer-state-message").find(Refusal(bad).substr(0, 60)),
              std::string::npos);
    EXPECT_EQ(app.Attribute("old_bad", "printer-is-accepting-jobs"), "false");
    EXPECT_EQ(app.PrinterState("old_bad"), IPP_PSTATE_STOPPED);
    app.Restart([](const std::string& state) {
        const std::vector<uint8_t> bytes = ReadFileBytes(state);
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_NE(text.find("driver=\"escpos_80\" id=\"7\""), std::string::npos) << text;
    });
}

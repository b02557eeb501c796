#include <gtest/gtest.h>

#include <string>

#include "app/devices/AutoAdd.h"

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
        {"MFG:DYMO;MDL:LabelWriter 450 Twin Turbo;", "dymo_lw"},
        {"MFG:DYMO;CMD: ;MDL:LabelWriter 4XL;", "dymo_lw_4xl"},
        {"MFG:Generic;MDL:GB02;", "cat_203"},
        {"MFG:Generic;CMD:Cat;MDL:Cat printer 58mm;", "cat_203"},
        {"MFG:Star;CMD:STAR;MDL:TSP143 (STR_T-001);", "star_80"},
        {"MFG:Star;CMD:STAR;MDL:TSP100 58mm;", "star_58"},
        {"MFG:Star Micronics;MDL:mC-Print2;", "star_58"},
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

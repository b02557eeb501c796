#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/FilterRunner.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
// A page with what dithers and thresholds treat differently: a gradient,
// solid black bars, a white stretch and a mid-gray checkerboard.
TestPage SamplePage(unsigned width, unsigned height, unsigned dpi) {
    TestPage page = MakePage(width, height, 255, 8, dpi);
    for (unsigned y = 0; y < height; y++) {
        for (unsigned x = 0; x < width; x++) {
            uint8_t v = 255;
            if (y < height / 3)
                v = static_cast<uint8_t>(x * 255 / width);
            else if (y < height / 2)
                v = (x / 12) % 3 == 0 ? 0 : 255;
            else if (y < 2 * height / 3)
                v = 255;
            else if (x > width / 8 && x < width * 7 / 8)
                v = ((x / 8 + y / 8) % 2) ? 96 : 176;
            page.SetGray(x, y, v);
        }
    }
    return page;
}

std::string WritePwg(const std::vector<TestPage>& pages) {
    const std::string path = TempDir::Shared().NewPath("page") + ".pwg";
    WriteFileBytes(path, MakePwgRaster(pages));
    return path;
}

std::string Ppd(const std::string& name) {
    return std::string(PPD_DIR) + "/" + name + ".ppd";
}

// The page of each family as CUPS hands it to the filter: as wide as the
// printable area.
struct Family {
    const char* driver;
    const char* ppd;
    unsigned width, dpi;
};

constexpr Family kFamilies[] = {
    {"tspl_203", "tspl-203", 812, 203},     {"tspl_300", "tspl-300", 1200, 300},
    {"escpos_58", "escpos58", 384, 203},    {"escpos_80", "escpos80", 576, 203},
    {"cpcl_2in", "cpcl-2in", 384, 203},     {"cpcl_3in", "cpcl-3in", 576, 203},
    {"cpcl_4in", "cpcl-4in", 812, 203},     {"paperang_203", "papr-203", 384, 203},
    {"paperang_300", "papr-300", 576, 300}, {"peripage_203", "peri-203", 384, 203},
    {"peripage_300", "peri-300", 576, 300}, {"zpl_203", "zpl-203", 812, 203},
    {"zpl_300", "zpl-300", 1200, 300},      {"epl_203", "epl-203", 812, 203},
};

// The middle `width` columns of a page.
TestPage Middle(const TestPage& page, unsigned width) {
    TestPage middle = MakePage(width, page.height, 255, 8, page.dpi);
    const unsigned left = (page.width - width) / 2;
    for (unsigned y = 0; y < page.height; y++)
        for (unsigned x = 0; x < width; x++)
            middle.SetGray(x, y, page.pixels[y * page.width + left + x]);
    return middle;
}

const Family& FamilyOf(const std::string& driver) {
    for (const Family& f : kFamilies)
        if (driver == f.driver) return f;
    throw std::invalid_argument(driver);
}

// A server with one printer per driver, each named after its driver.
class PrinterApp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new AppServer();
        for (const Family& f : kFamilies) ASSERT_TRUE(server->AddPrinter(f.driver, f.driver));
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    // Prints the file and returns what reached the printer's device.
    static std::vector<uint8_t> PrintAndCollect(const std::string& printer, const std::string& file,
                                                const AppServer::Options& options = {}) {
        const size_t before = server->DeviceBytes(printer).size();
        const int id = server->Print(printer, file, "image/pwg-raster", options);
        EXPECT_GT(id, 0);
        EXPECT_EQ(server->WaitForJob(printer, id), IPP_JSTATE_COMPLETED);
        std::vector<uint8_t> all = server->DeviceBytes(printer);
        return std::vector<uint8_t>(all.begin() + static_cast<long>(before), all.end());
    }

    static inline AppServer* server = nullptr;
};

// The application's acceptance test: for the same raster and equivalent
// options, the device gets exactly what the filter writes with the PPD.
TEST_F(PrinterApp, SendsTheFilterBytesForEveryFamilyAndOptionSet) {
    struct Case {
        const char* driver;
        const char* ppdOptions;
        AppServer::Options ipp;
        unsigned paperWidth = 0;  // the app gets the paper's width, the filter the head's
    };
    std::vector<Case> cases;
    for (const Family& f : kFamilies) cases.push_back({f.driver, "", {}});
    const std::vector<Case> set = {
        {"tspl_203",
         "ImageFilter=0 Threshold=128 Darkness=12",
         {{"thermal-dither", "threshold"}, {"thermal-threshold", "128"}, {"print-darkness", "27"}}},
        {"tspl_300",
         "ImageFilter=5 Brightness=20 Contrast=-20 zePrintRate=6 ImageCompress=1",
         {{"thermal-dither", "jarvis-judice-ninke"},
          {"thermal-brightness", "20"},
          {"thermal-contrast", "-20"},
          {"print-speed", "15240"},
          {"thermal-compression", "on"}}},
        {"escpos_58",
         "ImageFilter=1 FeedOffset=10",
         {{"thermal-dither", "floyd-steinberg"}, {"thermal-feed", "10"}}},
        {"escpos_80",
         "ImageFilter=9 CropEdgeBottom=-1",
         {{"thermal-dither", "bayer-8x8"}, {"thermal-crop-bottom", "-1"}}},
        {"cpcl_2in",
         "ImageFilter=0 Threshold=96",
         {{"thermal-dither", "threshold"}, {"thermal-threshold", "96"}}},
        {"cpcl_3in", "ImageFilter=4", {{"thermal-dither", "stucki"}}},
        {"cpcl_4in", "ImageFilter=10", {{"thermal-dither", "ordered-16x16"}}},
        {"paperang_203", "ImageFilter=6", {{"thermal-dither", "sierra"}}},
        {"paperang_300", "ImageFilter=7", {{"thermal-dither", "stevenson-arce"}}},
        {"peripage_203",
         "ImageFilter=8 Darkness=4 ImageCompress=1",
         {{"thermal-dither", "ordered-4x4"},
          {"print-darkness", "30"},
          {"thermal-compression", "on"}}},
        {"peripage_300",
         "ImageFilter=2 Darkness=2",
         {{"thermal-dither", "bayer-4x4"}, {"print-darkness", "-10"}}},
    };
    cases.insert(cases.end(), set.begin(), set.end());
    cases.push_back({"zpl_203",
                     "ImageFilter=0 Threshold=144 Darkness=20 zePrintRate=6 ImageCompress=1",
                     {{"thermal-dither", "threshold"},
                      {"thermal-threshold", "144"},
                      {"print-darkness", "16"},
                      {"print-speed", "15240"},
                      {"thermal-compression", "on"}}});
    cases.push_back({"epl_203",
                     "Darkness=10 zePrintRate=2",
                     {{"print-darkness", "14"}, {"print-speed", "5080"}}});
    cases.push_back({"escpos_58",
                     "BandHeight=24 BlankFeed=1 WhiteRunLimit=5",
                     {{"thermal-band-height", "24"},
                      {"thermal-blank-feed", "on"},
                      {"thermal-white-run-limit", "5"}}});
    cases.push_back({"paperang_203", "WhiteRunLimit=3", {{"thermal-white-run-limit", "3"}}});
    cases.push_back({"escpos_58", "", {}, 463});
    cases.push_back({"peripage_300", "", {}, 685});

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.driver) + " [" + c.ppdOptions + "]");
        const Family& f = FamilyOf(c.driver);
        const unsigned sent = c.paperWidth ? c.paperWidth : f.width;
        const std::vector<TestPage> pages = {SamplePage(sent, 400, f.dpi),
                                             SamplePage(sent, 120, f.dpi)};
        const std::vector<TestPage> printable = {Middle(pages[0], f.width),
                                                 Middle(pages[1], f.width)};
        const FilterResult filter = RunFilter(Ppd(f.ppd), MakePwgRaster(printable), c.ppdOptions);
        ASSERT_EQ(filter.exitStatus, 0) << filter.err;
        const std::vector<uint8_t> app = PrintAndCollect(c.driver, WritePwg(pages), c.ipp);
        EXPECT_FALSE(app.empty());
        EXPECT_TRUE(app == filter.out)
            << "app " << app.size() << " bytes, filter " << filter.out.size() << " bytes";
    }
}
}  // namespace

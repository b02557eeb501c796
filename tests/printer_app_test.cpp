#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/AppServer.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"
#include "tools/preview/StreamDecoder.h"

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
    {"tspl_203", "tspl-203", 812, 203},         {"tspl_300", "tspl-300", 1200, 300},
    {"escpos_58", "escpos58", 384, 203},        {"escpos_80", "escpos80", 576, 203},
    {"cpcl_2in", "cpcl-2in", 384, 203},         {"cpcl_3in", "cpcl-3in", 576, 203},
    {"cpcl_4in", "cpcl-4in", 812, 203},         {"paperang_203", "papr-203", 384, 203},
    {"paperang_300", "papr-300", 576, 300},     {"peripage_203", "peri-203", 384, 203},
    {"peripage_300", "peri-300", 576, 300},     {"zpl_203", "zpl-203", 812, 203},
    {"zpl_300", "zpl-300", 1200, 300},          {"epl_203", "epl-203", 812, 203},
    {"brother_ql", "brother-ql-300", 732, 300}, {"dymo_lw", "dymo-lw-300", 638, 300},
    {"dymo_lw_4xl", "dymo-lw-4xl", 1200, 300},  {"cat_203", "cat-203", 384, 203},
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

    // Prints the file and returns what reached the printer's device. The
    // job asks for the filter's default dither unless it names one: by
    // default the application picks the dots by the page's content.
    static std::vector<uint8_t> PrintAndCollect(const std::string& printer, const std::string& file,
                                                AppServer::Options options = {},
                                                const std::string& format = "image/pwg-raster") {
        options.emplace("thermal-dither", "burkes");
        const size_t before = server->DeviceBytes(printer).size();
        const int id = server->Print(printer, file, format, options);
        EXPECT_GT(id, 0);
        EXPECT_EQ(server->WaitForJob(printer, id), IPP_JSTATE_COMPLETED);
        std::vector<uint8_t> all = server->DeviceBytes(printer);
        return std::vector<uint8_t>(all.begin() + static_cast<long>(before), all.end());
    }

    // `submit` as a user runs it, with -o options: its exit status, what it
    // said and, when it took the job, what reached the printer's device.
    struct Submitted {
        int status = -1;
        std::string said;
        std::vector<uint8_t> printed;
    };
    static Submitted Submit(const std::string& printer, const std::vector<std::string>& options,
                            const std::string& file) {
        std::vector<std::string> args = {"submit", "-d", printer};
        for (const std::string& o : options) args.insert(args.end(), {"-o", o});
        args.push_back(file);
        const size_t before = server->DeviceBytes(printer).size();
        Submitted s;
        s.status = server->Command(args, &s.said);
        const size_t id = s.said.find(printer + "-");
        if (s.status != 0 || id == std::string::npos) return s;
        const int job = std::atoi(s.said.c_str() + id + printer.size() + 1);
        EXPECT_EQ(server->WaitForJob(printer, job), IPP_JSTATE_COMPLETED);
        const std::vector<uint8_t> all = server->DeviceBytes(printer);
        s.printed.assign(all.begin() + static_cast<long>(before), all.end());
        return s;
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
        unsigned ydpi = 0;        // 0: as across
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
    cases.push_back({"brother_ql",
                     "AutoCut=0 CutAtEnd=0 ImageCompress=0",
                     {{"thermal-auto-cut", "off"},
                      {"thermal-cut-at-end", "off"},
                      {"thermal-compression", "off"}}});
    cases.push_back({"brother_ql", "CutEvery=5", {{"thermal-cut-every", "5"}}});
    cases.push_back({"brother_ql", "", {}, 0, 600});
    cases.push_back({"dymo_lw", "Darkness=3", {{"print-darkness", "33"}}});
    cases.push_back({"dymo_lw_4xl", "", {}, 0, 600});
    cases.push_back(
        {"cat_203",
         "Darkness=5 FeedOffset=20 WhiteRunLimit=3",
         {{"print-darkness", "30"}, {"thermal-feed", "20"}, {"thermal-white-run-limit", "3"}}});
    cases.push_back({"cat_203", "", {}, 463});
    cases.push_back({"escpos_58", "", {}, 463});
    cases.push_back({"peripage_300", "", {}, 685});

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.driver) + " [" + c.ppdOptions + "]");
        const Family& f = FamilyOf(c.driver);
        const unsigned sent = c.paperWidth ? c.paperWidth : f.width;
        std::vector<TestPage> pages = {SamplePage(sent, 400, f.dpi), SamplePage(sent, 120, f.dpi)};
        for (TestPage& p : pages) p.ydpi = c.ydpi;
        std::vector<TestPage> printable = {Middle(pages[0], f.width), Middle(pages[1], f.width)};
        for (TestPage& p : printable) p.ydpi = c.ydpi;
        const FilterResult filter = RunFilter(Ppd(f.ppd), MakePwgRaster(printable),
                                              AppDefaultPpdOptions(c.driver) + " " + c.ppdOptions);
        ASSERT_EQ(filter.exitStatus, 0) << filter.err;
        const std::vector<uint8_t> app = PrintAndCollect(c.driver, WritePwg(pages), c.ipp);
        EXPECT_FALSE(app.empty());
        EXPECT_TRUE(app == filter.out)
            << "app " << app.size() << " bytes, filter " << filter.out.size() << " bytes";
    }
}

namespace {
size_t Count(const std::vector<uint8_t>& bytes, const std::string& part) {
    const std::string text(bytes.begin(), bytes.end());
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
    return n;
}

// White with a black band: whole bytes of white and black, in which no
// command's bytes turn up by chance.
TestPage BandPage(unsigned width, unsigned height, unsigned dpi) {
    TestPage page = MakePage(width, height, 255, 8, dpi);
    for (unsigned y = height / 3; y < 2 * height / 3; y++)
        for (unsigned x = 0; x < width; x++) page.SetGray(x, y, 0);
    return page;
}

bool EndsWith(const std::vector<uint8_t>& bytes, const std::string& tail) {
    return std::string(bytes.begin(), bytes.end()).ends_with(tail);
}
}  // namespace

// Cutter, cash drawer, peel and tear: each PPD choice and its application
// option give the same bytes, holding the golden command (as often as
// `times` says, last in the stream when `atEnd`). A value the printer's
// language does not have is left out with a word from `submit`.
TEST_F(PrinterApp, CutDrawerPeelAndTearOptionsSendTheirCommands) {
    const std::string pulse("\x1Bp\0\xFF\xFF", 5), init("\x1B@\0", 3);
    const std::string labelModes = "SET PEEL OFF\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER OFF\r\n";
    const struct {
        const char* driver;
        const char* ppdOptions;
        std::vector<std::string> submit;  // -o options
        std::string golden;
        size_t times;
        bool atEnd = false;
        const char* said = "";
    } rows[] = {
        {"escpos_58", "CutMode=2", {}, "\x1DV1", 1, true},  // the application's default
        {"escpos_58", "", {"thermal-cut=none"}, "\x1DV", 0},
        {"escpos_58", "CutMode=1", {"thermal-cut=full-at-end"}, "\x1DV0", 1, true},
        {"escpos_58", "CutMode=3", {"thermal-cut=full-every-page"}, "\x1DV0", 2, true},
        {"escpos_80", "CutMode=4", {"thermal-cut=partial-every-page"}, "\x1DV1", 2, true},
        {"escpos_58",
         "CutMode=0 CashDrawer=1",
         {"thermal-cut=none", "thermal-cash-drawer=before-job"},
         pulse + init,
         1},
        {"escpos_58",
         "CutMode=2 CashDrawer=2",
         {"thermal-cash-drawer=after-job"},
         "\x1DV1" + pulse,
         1,
         true},
        {"tspl_203", "", {}, "SET PEEL", 0},
        {"tspl_203",
         "PeelCutMode=1",
         {"thermal-label-mode=tear-off"},
         labelModes + "SET TEAR ON\r\n",
         2},
        {"tspl_203",
         "PeelCutMode=2",
         {"thermal-label-mode=cut"},
         "SET PEEL OFF\r\nSET CUTTER 1\r\nSET PARTIAL_CUTTER OFF\r\nSET TEAR OFF\r\n",
         2},
        {"tspl_300",
         "PeelCutMode=3",
         {"thermal-label-mode=peel-off"},
         "SET PEEL ON\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER OFF\r\nSET TEAR OFF\r\n",
         2},
        {"tspl_203",
         "PeelCutMode=4",
         {"thermal-label-mode=partial-cut"},
         "SET PEEL OFF\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER 1\r\nSET TEAR OFF\r\n",
         2},
        {"zpl_203", "PeelCutMode=1", {"thermal-label-mode=tear-off"}, "^MMT\n", 2},
        {"zpl_203", "PeelCutMode=2", {"thermal-label-mode=cut"}, "^MMC\n", 2},
        {"zpl_300", "PeelCutMode=3", {"thermal-label-mode=peel-off"}, "^MMP\n", 2},
        {"zpl_203",
         "",
         {"thermal-label-mode=partial-cut"},
         "^MM",
         0,
         false,
         "Ignored thermal-label-mode=partial-cut"},
        {"epl_203", "PeelCutMode=2", {"thermal-label-mode=cut"}, "\nOC\n", 2},
        {"epl_203",
         "",
         {"thermal-label-mode=peel-off"},
         "\nOC\n",
         0,
         false,
         "Ignored thermal-label-mode=peel-off"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.driver) + " [" + row.ppdOptions + "]");
        const Family& f = FamilyOf(row.driver);
        const std::vector<TestPage> pages = {BandPage(f.width, 120, f.dpi),
                                             BandPage(f.width, 80, f.dpi)};
        const FilterResult filter = RunFilter(Ppd(f.ppd), MakePwgRaster(pages), row.ppdOptions);
        ASSERT_EQ(filter.exitStatus, 0) << filter.err;
        EXPECT_EQ(Count(filter.out, row.golden), row.times);
        EXPECT_TRUE(!row.atEnd || EndsWith(filter.out, row.golden));

        const Submitted app = Submit(row.driver, row.submit, WritePwg(pages));
        ASSERT_EQ(app.status, 0) << app.said;
        EXPECT_NE(app.said.find(row.said), std::string::npos) << app.said;
        EXPECT_TRUE(app.printed == filter.out);
    }
}

// A file of printer commands sent without a format prints untouched on a
// printer of its language, recognised by how it starts; on another
// printer it is refused with the language named and the way to send it
// anyway. Look-alikes are not taken for a language.
TEST_F(PrinterApp, PrinterCommandsAreRecognisedByTheirContent) {
    auto stream = [](const char* ppd) {
        return RunFilter(Ppd(ppd), MakePwgRaster({BandPage(384, 40, 203)})).out;
    };
    auto text = [](const std::string& t) { return std::vector<uint8_t>(t.begin(), t.end()); };
    const std::string flag = "Printer commands are sent as they are with -o document-format=";
    const struct {
        const char* what;
        const char* driver;
        std::vector<uint8_t> bytes;
        std::string refusal = {};  // empty: printed as it is
    } rows[] = {
        {"TSPL by hand", "tspl_203",
         text("SIZE 58 mm, 40 mm\r\nGAP 2 mm, 0 mm\r\nDIRECTION 1\r\nCLS\r\n"
              "TEXT 10,10,\"3\",0,1,1,\"Hi\"\r\nPRINT 1\r\n")},
        {"TSPL from the filter", "tspl_300", stream("tspl-203")},
        {"ZPL", "zpl_203", text("^XA\n^FO50,50^A0N,50,50^FDHello^FS\n^XZ\n")},
        {"EPL2", "epl_203", text("\nN\nq609\nQ203,24\nA50,50,0,3,1,1,N,\"Hi\"\nP1\n")},
        {"CPCL", "cpcl_2in", text("! 0 200 200 210 1\r\nTEXT 4 0 30 40 Hi\r\nPRINT\r\n")},
        {"ESC/POS text", "escpos_58", text("\x1B@Hello\n\n\x1DV1")},
        {"ESC/POS from the filter", "escpos_80", stream("escpos58")},
        {"ZPL on a TSPL printer", "tspl_203", text("^XA\n^FDHi^FS\n^XZ\n"),
         "the document is ZPL printer commands (application/vnd.thermal-zpl). " + flag +
             "application/vnd.thermal-tspl."},
        {"TSPL on a receipt printer", "escpos_58", stream("tspl-203"),
         "the document is TSPL printer commands (application/vnd.thermal-tspl). " + flag +
             "application/vnd.thermal-escpos."},
        {"DYMO (ESC @, then its own commands) is not ESC/POS", "escpos_58", stream("dymo-lw-300"),
         "the document is of none of these formats. " + flag},
        {"text that starts like TSPL", "tspl_203", text("SIZE of the order: 3\nCLS\n"),
         "of none of these formats"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = TempDir::Shared().NewPath("commands") + ".prn";
        WriteFileBytes(file, row.bytes);
        const Submitted s = Submit(row.driver, {}, file);
        EXPECT_EQ(s.status, row.refusal.empty() ? 0 : 1) << s.said;
        EXPECT_NE(s.said.find(row.refusal), std::string::npos) << s.said;
        EXPECT_TRUE(!row.refusal.empty() || s.printed == row.bytes);
    }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// A client that streams page 1 and part of page 2, and cancels the job
// while page 2 is being received: the device keeps page 1 and nothing else.
TEST_F(PrinterApp, CancelInsideAPageLeavesOnlyTheWholePagesBefore) {
    const Family& f = FamilyOf("escpos_58");
    const std::vector<TestPage> pages = {SamplePage(f.width, 400, f.dpi),
                                         SamplePage(f.width, 400, f.dpi)};
    const std::vector<uint8_t> stream = MakePwgRaster(pages);
    const FilterResult firstPage = RunFilter(Ppd(f.ppd), MakePwgRaster({pages[0]}));
    const size_t before = server->DeviceBytes(f.driver).size();

    http_t* http = server->Connect();
    ipp_t* request = server->NewRequest(IPP_OP_PRINT_JOB, f.driver);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/pwg-raster");
    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "thermal-dither", nullptr, "burkes");
    const std::string resource = std::string("/ipp/print/") + f.driver;
    ASSERT_EQ(cupsSendRequest(http, request, resource.c_str(), CUPS_LENGTH_VARIABLE),
              HTTP_STATUS_CONTINUE);
    const size_t part = stream.size() * 3 / 4;  // page 1 and most of page 2
    cupsWriteRequestData(http, reinterpret_cast<const char*>(stream.data()), part);
    ASSERT_TRUE(WaitUntil([&] { return server->DeviceBytes(f.driver).size() > before; }, 10000));
    const int id = server->ActiveJob(f.driver);
    ASSERT_GT(id, 0);
    server->CancelJob(f.driver, id);
    cupsWriteRequestData(http, reinterpret_cast<const char*>(stream.data()) + part,
                         stream.size() - part);
    ippDelete(cupsGetResponse(http, resource.c_str()));
    httpClose(http);
    ippDelete(request);

    EXPECT_EQ(server->WaitForJob(f.driver, id), IPP_JSTATE_CANCELED);
    const std::vector<uint8_t> all = server->DeviceBytes(f.driver);
    EXPECT_TRUE(std::vector<uint8_t>(all.begin() + static_cast<long>(before), all.end()) ==
                firstPage.out);
}

TEST_F(PrinterApp, FivePrintersPrintAtOnce) {
    const char* drivers[] = {"tspl_203", "escpos_80", "cpcl_3in", "paperang_300", "zpl_203"};
    std::vector<std::vector<uint8_t>> expected, got(5);
    std::vector<std::string> files;
    for (const char* driver : drivers) {
        const Family& f = FamilyOf(driver);
        const std::vector<TestPage> pages(3, SamplePage(f.width, 500, f.dpi));
        files.push_back(WritePwg(pages));
        expected.push_back(
            RunFilter(Ppd(f.ppd), ReadFileBytes(files.back()), AppDefaultPpdOptions(driver)).out);
    }
    std::vector<std::thread> jobs;
    for (size_t i = 0; i < 5; i++)
        jobs.emplace_back([&, i] { got[i] = PrintAndCollect(drivers[i], files[i]); });
    for (std::thread& t : jobs) t.join();
    for (size_t i = 0; i < 5; i++) EXPECT_TRUE(got[i] == expected[i]) << drivers[i];
}

// Bad documents end their job with a state of their own; the server goes on.
TEST_F(PrinterApp, BadInputEndsTheJobNotTheServer) {
    const Family& f = FamilyOf("tspl_203");
    const std::vector<uint8_t> good = MakePwgRaster({SamplePage(f.width, 300, f.dpi)});
    struct Case {
        const char* what;
        std::vector<uint8_t> document;
        AppServer::Options options;
        std::vector<ipp_jstate_t> states;  // any of them
    };
    const std::vector<Case> cases = {
        // PAPPL 1.3.1 counts the lines that never came as read: the page
        // prints as far as it came, as with the filter.
        {"truncated stream",
         std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
         {},
         {IPP_JSTATE_ABORTED, IPP_JSTATE_COMPLETED}},
        {"not raster at all", std::vector<uint8_t>(4096, 'x'), {}, {IPP_JSTATE_ABORTED}},
        {"unknown option value", good, {{"thermal-dither", "sparkle"}}, {IPP_JSTATE_COMPLETED}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = TempDir::Shared().NewPath("bad");
        WriteFileBytes(path, c.document);
        const int id = server->Print(f.driver, path, "image/pwg-raster", c.options);
        const ipp_jstate_t state = id > 0 ? server->WaitForJob(f.driver, id) : IPP_JSTATE_ABORTED;
        EXPECT_NE(std::find(c.states.begin(), c.states.end(), state), c.states.end()) << state;
        ASSERT_TRUE(server->Alive());
    }
    EXPECT_FALSE(PrintAndCollect(f.driver, WritePwg({SamplePage(f.width, 100, f.dpi)})).empty());
}

// Documents in the other formats a client may send: Apple raster and 8-bit
// black raster give the filter's bytes too; PNG and JPEG, which PAPPL scales
// onto the label, print one label of the label's size; a raw TSPL stream
// passes untouched.
TEST_F(PrinterApp, TakesAppleRasterImagesAndRawStreams) {
    const Family& f = FamilyOf("tspl_203");
    const std::vector<TestPage> page = {SamplePage(f.width, 300, f.dpi)};
    const std::string urf = TempDir::Shared().NewPath("page") + ".urf";
    WriteFileBytes(urf, MakePwgRaster(page, CUPS_RASTER_WRITE_APPLE));
    const std::vector<uint8_t> filtered = RunFilter(Ppd(f.ppd), MakePwgRaster(page)).out;
    EXPECT_TRUE(PrintAndCollect(f.driver, urf, {}, "image/urf") == filtered);

    TestPage black = page[0];  // 8-bit black: 255 is full ink
    black.colorSpace = CUPS_CSPACE_K;
    for (uint8_t& v : black.pixels) v = static_cast<uint8_t>(255 - v);
    EXPECT_TRUE(PrintAndCollect(f.driver, WritePwg({black})) == filtered);

    const std::string raw = TempDir::Shared().NewPath("raw") + ".prn";
    WriteFileBytes(raw, filtered);
    EXPECT_TRUE(PrintAndCollect(f.driver, raw, {}, "application/vnd.thermal-tspl") == filtered);

    for (const char* device : {"pnggray", "jpeggray"}) {
        SCOPED_TRACE(device);
        const std::string image = TempDir::Shared().NewPath(device);
        const std::string gs = std::string("gs -q -r100 -sDEVICE=") + device + " -o " + image +
                               " " + DATA_DIR + "/label-4x6.pdf";
        ASSERT_EQ(std::system(gs.c_str()), 0);
        const std::vector<uint8_t> out = PrintAndCollect(
            f.driver, image, {}, device == std::string("pnggray") ? "image/png" : "image/jpeg");
        const tagDecodeResult decoded = DecodeStream(out.data(), out.size(), {});
        ASSERT_EQ(decoded.pages.size(), 1u);
        EXPECT_EQ(decoded.pages[0].width, 832u);  // 812 dots in rows of whole words
        EXPECT_EQ(decoded.pages[0].height, 1218u);
    }
}

// A 1-bit page, as PWG black_1 (a set bit is a dot) or 1-bit gray (a set
// bit is paper), prints the dots of its 8-bit equivalent at threshold.
TEST_F(PrinterApp, OneBitPagesPrintTheirOwnDots) {
    struct Row {
        const char* driver;
        cups_cspace_t space;
    };
    const Row rows[] = {
        {"dymo_lw", CUPS_CSPACE_K},   {"tspl_203", CUPS_CSPACE_K}, {"brother_ql", CUPS_CSPACE_K},
        {"escpos_58", CUPS_CSPACE_K}, {"zpl_203", CUPS_CSPACE_SW},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.driver);
        const Family& f = FamilyOf(row.driver);
        TestPage gray = SamplePage(f.width, 120, f.dpi);
        TestPage bits = MakePage(f.width, gray.height, 0, 1, f.dpi);
        bits.colorSpace = row.space;
        for (unsigned y = 0; y < gray.height; y++)
            for (unsigned x = 0; x < gray.width; x++) {
                const bool dot = gray.pixels[y * gray.width + x] < 128;
                gray.SetGray(x, y, dot ? 0 : 255);
                if (dot == (row.space == CUPS_CSPACE_K))
                    bits.pixels[y * bits.bytesPerLine() + x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        const AppServer::Options threshold = {{"thermal-dither", "threshold"}};
        const std::vector<uint8_t> eight = PrintAndCollect(f.driver, WritePwg({gray}), threshold);
        EXPECT_FALSE(eight.empty());
        EXPECT_TRUE(PrintAndCollect(f.driver, WritePwg({bits}), threshold) == eight);
    }
}

int HttpGet(const AppServer& app, const char* path) {
    http_t* http = app.Connect();
    if (!http) return 0;
    httpClearFields(http);
    http_status_t status = HTTP_STATUS_ERROR;
    if (httpGet(http, path) == 0) {
        status = HTTP_STATUS_CONTINUE;
        for (int i = 0; i < 100 && status == HTTP_STATUS_CONTINUE; i++) status = httpUpdate(http);
        httpFlush(http);
    }
    httpClose(http);
    return status;
}

// Every page of the web interface, "Add Printer" among them, which looks
// for network printers by DNS-SD: with or without an Avahi daemon the page
// answers and the server lives on. So does `devices`.
TEST_F(PrinterApp, EveryWebPageAnswers) {
    const std::vector<std::pair<const char*, int>> pages = {
        {"/", 200},
        {"/addprinter", 200},
        {"/config", 200},
        {"/network", 404},
        {"/tspl_203/", 200},
        {"/tspl_203/printing", 200},
        {"/tspl_203/media", 200},
        {"/tspl_203/config", 200},
        {"/tspl_203/jobs", 200},
        {"/tspl_203/delete", 200},
        {"/paperang_203/printing", 200},
        {"/no-such-printer/printing", 404},
    };
    for (const auto& [path, status] : pages) {
        SCOPED_TRACE(path);
        EXPECT_EQ(HttpGet(*server, path), status);
        ASSERT_TRUE(server->Alive());
    }
    EXPECT_EQ(server->Command({"devices"}), 0);
    EXPECT_TRUE(server->Alive());
}

// Get-Printer-Attributes without requested-attributes: every attribute the
// printer has ("all" leaves some out).
ipp_t* PrinterAttributes(const AppServer& app, const std::string& printer) {
    return app.Send(app.NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printer),
                    "/ipp/print/" + printer);
}

// What IPP Everywhere clients check of every printer: each attribute (and
// margin value) comes once, also after several requests (PAPPL adds one more
// printer-strings-languages-supported per request while a strings resource
// has a language), and media names are PWG self-describing names whose
// name part has only lowercase letters, digits and hyphens.
TEST_F(PrinterApp, PrinterAttributesComeOnceWithValidMediaNames) {
    const std::string dim = "([1-9][0-9]*(\\.[0-9]*[1-9])?|0\\.[0-9]*[1-9])";
    const std::regex pwgName("(custom|na|asme|roc|oe|roll)_[a-z0-9][-a-z0-9]*_" + dim + "x" + dim +
                             "in|(custom|iso|jis|jpn|prc|om|roll)_[a-z0-9][-a-z0-9]*_" + dim + "x" +
                             dim + "mm");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.driver);
        for (int i = 0; i < 2; i++) ippDelete(PrinterAttributes(*server, f.driver));
        ipp_t* response = PrinterAttributes(*server, f.driver);
        ASSERT_NE(response, nullptr);
        std::set<std::pair<int, std::string>> seen;
        for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
            if (!ippGetName(a)) continue;  // a group separator
            EXPECT_TRUE(seen.insert({ippGetGroupTag(a), ippGetName(a)}).second)
                << ippGetName(a) << " comes twice";
        }
        for (const char* name : {"media-supported", "media-ready", "media-default"}) {
            ipp_attribute_t* media = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
            EXPECT_GT(ippGetCount(media), 0) << name;
            for (int i = 0; i < ippGetCount(media); i++) {
                const char* value = ippGetString(media, i, nullptr);
                EXPECT_TRUE(std::regex_match(value, pwgName)) << name << " " << value;
            }
        }
        // Each margin once (a printer that also prints borderless lists 0 first).
        for (const char* name : {"media-left-margin-supported", "media-top-margin-supported"}) {
            ipp_attribute_t* margins = ippFindAttribute(response, name, IPP_TAG_INTEGER);
            std::set<int> values;
            for (int i = 0; i < ippGetCount(margins); i++) values.insert(ippGetInteger(margins, i));
            EXPECT_EQ(values.size(), size_t(ippGetCount(margins))) << name;
        }
        ippDelete(response);
    }
}

// Label stock sold by part number is in media-supported and reads as part
// number and size in the web page's media menu.
TEST_F(PrinterApp, NamedLabelStockInMediaAndMenus) {
    struct Row {
        const char* driver;
        const char* name;
        const char* label;
    };
    const Row rows[] = {
        {"dymo_lw", "om_99010-address_28x89mm", "99010 / 30252 Address 28 × 89 mm"},
        {"dymo_lw_4xl", "oe_1744907-shipping_4x6in", "1744907 Shipping 4 × 6 in"},
        {"brother_ql", "om_dk-11209-small-address_62x29mm", "DK-11209 Small address 62 × 29 mm"},
        {"brother_ql", "om_dk-11203-file-folder_17x87mm", "DK-11203 File folder 17 × 87 mm"},
        {"escpos_80", "om_80x100mm_80x100mm", "80 mm receipt roll, 100 mm pages"},
        {"cpcl_3in", "oe_w225h075-label_2.25x0.75in", "2.25 x 0.75&quot;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string supported = server->Attribute(row.driver, "media-supported");
        EXPECT_NE(supported.find(row.name), std::string::npos) << supported;
        const std::string page = server->Fetch(std::string("/") + row.driver + "/media");
        EXPECT_NE(page.find(std::string("value=\"") + row.name + "\""), std::string::npos);
        EXPECT_NE(page.find(row.label), std::string::npos);
    }
}

// The Paperang checksum seed is a printer setting: jobs are sealed with the
// printer's seed, as the filter seals them with the PPD's; a seed that
// doesn't parse leaves the default one.
TEST_F(PrinterApp, PaperangJobsUseThePrintersChecksumSeed) {
    const Family& f = FamilyOf("paperang_203");
    const std::vector<TestPage> page = {SamplePage(f.width, 200, f.dpi)};
    const std::string pwg = WritePwg(page);
    const std::string keyed = WritePpd(23, {}, true, "*thermalPaperangSeed: \"0x12345678\"\n");
    const std::vector<uint8_t> byDefault = RunFilter(Ppd(f.ppd), MakePwgRaster(page)).out;
    const std::vector<uint8_t> byKey = RunFilter(keyed, MakePwgRaster(page)).out;
    ASSERT_FALSE(byKey == byDefault);

    ASSERT_EQ(server->Command({"modify", "-d", f.driver, "-o", "thermal-paperang-seed=0x12345678"}),
              0);
    EXPECT_TRUE(PrintAndCollect(f.driver, pwg) == byKey);
    ASSERT_EQ(server->Command({"modify", "-d", f.driver, "-o", "thermal-paperang-seed=305419896"}),
              0);
    EXPECT_TRUE(PrintAndCollect(f.driver, pwg) == byKey);
    ASSERT_EQ(server->Command({"modify", "-d", f.driver, "-o", "thermal-paperang-seed=0xnope"}), 0);
    EXPECT_TRUE(PrintAndCollect(f.driver, pwg) == byDefault);
    EXPECT_NE(server->Log().find("Ignoring thermal-paperang-seed"), std::string::npos);
    ASSERT_EQ(server->Command({"modify", "-d", f.driver, "-o", "thermal-paperang-seed=0x35769521"}),
              0);
}

// A device that refuses bytes aborts the job with a message, which `jobs`,
// `status -j` and the web job list show; one that cannot be opened holds the
// job, the printer offline (not paused) and the job saying what it waits
// for, until it is back. Raw printer streams pass through untouched.
TEST(PrinterAppDevices, FailingAndMissingDevices) {
    AppServer app(AppServer::Options{{"file-device-folder", "/dev"}});
    const std::vector<uint8_t> label =
        RunFilter(Ppd("tspl-203"), MakePwgRaster({SamplePage(812, 1218, 203)})).out;
    const std::string raw = TempDir::Shared().NewPath("raw") + ".prn";
    WriteFileBytes(raw, label);

    ASSERT_TRUE(app.AddPrinter("full", "tspl_203", "file:///dev/full"));
    int id = app.Print("full", raw, "application/vnd.thermal-tspl");
    EXPECT_EQ(app.WaitForJob("full", id), IPP_JSTATE_ABORTED);
    // A page small enough to stay in PAPPL's write buffer until the flush.
    id = app.Print("full", WritePwg({SamplePage(812, 16, 203)}), "image/pwg-raster");
    EXPECT_EQ(app.WaitForJob("full", id), IPP_JSTATE_ABORTED);
    const std::string why = "Unable to write print data to the device.";
    EXPECT_EQ(app.JobStateMessage("full", id), why);
    std::string listed, one;
    EXPECT_EQ(app.Command({"jobs", "-d", "full"}, &listed), 0);
    EXPECT_NE(listed.find(std::to_string(id) + " aborted"), std::string::npos) << listed;
    EXPECT_NE(listed.find(" (" + why + ")\n"), std::string::npos) << listed;
    EXPECT_EQ(app.Command({"status", "-d", "full", "-j", std::to_string(id)}, &one), 0);
    EXPECT_TRUE(one.starts_with("Job " + std::to_string(id) + " (")) << one;
    EXPECT_NE(one.find("): aborted since "), std::string::npos) << one;
    EXPECT_TRUE(one.ends_with("\n    " + why + "\n")) << one;
    EXPECT_NE(app.Fetch("/full/jobs").find("<span class=\"job-message\">" + why),
              std::string::npos);

    const std::string dir = TempDir::Shared().NewPath("device");
    std::filesystem::create_directories(dir);
    WriteFileText(dir + "/label.prn", "");
    app.RestartWithFileDeviceFolder(TempDir::Shared().Path());
    ASSERT_TRUE(app.AddPrinter("gone", "tspl_203", "file://" + dir + "/label.prn"));
    std::filesystem::remove_all(dir);
    id = app.Print("gone", raw, "application/vnd.thermal-tspl");
    ASSERT_GT(id, 0);
    EXPECT_TRUE(WaitUntil([&] { return app.PrinterState("gone") == IPP_PSTATE_STOPPED; }, 10000));
    EXPECT_EQ(app.Attribute("gone", "printer-state-reasons"), "offline");
    EXPECT_TRUE(app.JobStateMessage("gone", id)
                    .starts_with("Waiting for the printer: it does not "
                                 "answer at file://"));
    std::filesystem::create_directories(dir);
    WriteFileText(dir + "/label.prn", "");
    EXPECT_EQ(app.WaitForJob("gone", id, 20000), IPP_JSTATE_COMPLETED);
    EXPECT_EQ(app.JobStateMessage("gone", id), "Job completed.");
    EXPECT_EQ(app.Attribute("gone", "printer-state-reasons"), "none");
    EXPECT_TRUE(ReadFileBytes(dir + "/label.prn") == label);
    EXPECT_TRUE(app.Alive());
}

TEST(PrinterAppState, ARestartKeepsPrintersAndTheirDefaults) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("shelf", "tspl_203"));
    ASSERT_TRUE(app.AddPrinter("pocket", "paperang_203"));
    ASSERT_EQ(app.Command({"modify", "-d", "shelf", "-o", "thermal-dither=threshold", "-o",
                           "thermal-threshold=128"}),
              0);
    ASSERT_EQ(app.Command({"modify", "-d", "pocket", "-o", "thermal-paperang-seed=0x12345678"}), 0);
    app.Restart();
    const std::string pwg = WritePwg({SamplePage(812, 300, 203)});
    int id = app.Print("shelf", pwg, "image/pwg-raster");
    ASSERT_EQ(app.WaitForJob("shelf", id), IPP_JSTATE_COMPLETED);
    EXPECT_TRUE(app.DeviceBytes("shelf") ==
                RunFilter(Ppd("tspl-203"), ReadFileBytes(pwg), "ImageFilter=0 Threshold=128").out);

    const std::vector<TestPage> narrow = {SamplePage(384, 200, 203)};
    id = app.Print("pocket", WritePwg(narrow), "image/pwg-raster", {{"thermal-dither", "burkes"}});
    ASSERT_EQ(app.WaitForJob("pocket", id), IPP_JSTATE_COMPLETED);
    const std::string keyed = WritePpd(23, {}, true, "*thermalPaperangSeed: \"0x12345678\"\n");
    EXPECT_TRUE(app.DeviceBytes("pocket") == RunFilter(keyed, MakePwgRaster(narrow)).out);
}

// Printers saved with a media name that an older release listed (one that
// is no valid PWG name) get the listed name of the same size when they are
// loaded; listed names and sizes the driver doesn't list stay as saved.
TEST(PrinterAppState, MediaSavedUnderAnOldNameGetsTheListedName) {
    struct Case {
        const char* printer;
        const char* driver;
        const char* saved;
        int width, length;
        const char* loaded;
    };
    const Case cases[] = {
        {"renamed", "cpcl_3in", "oe_2.25x1.25-label_2.25x1.25in", 5715, 3175,
         "oe_w225h125-label_2.25x1.25in"},
        {"listed", "tspl_203", "oe_2x1-label_2x1in", 5080, 2540, "oe_2x1-label_2x1in"},
        {"unlisted", "escpos_58", "custom_58x80mm_58x80mm", 5800, 8000, "custom_58x80mm_58x80mm"},
    };
    AppServer app;
    for (const Case& c : cases) ASSERT_TRUE(app.AddPrinter(c.printer, c.driver));
    app.Restart([&](const std::string& stateFile) {
        const std::vector<uint8_t> bytes = ReadFileBytes(stateFile);
        std::string state(bytes.begin(), bytes.end());
        for (const Case& c : cases) {
            const size_t begin = state.find(std::string(" name=\"") + c.printer + "\"");
            ASSERT_NE(begin, std::string::npos) << c.printer;
            const size_t end = state.find("</Printer>", begin);
            std::string block = state.substr(begin, end - begin);
            block = std::regex_replace(
                block, std::regex("length=\"[0-9]+\" name=\"[^\"]*\""),
                "length=\"" + std::to_string(c.length) + "\" name=\"" + c.saved + "\"");
            block = std::regex_replace(block, std::regex("width=\"[0-9]+\""),
                                       "width=\"" + std::to_string(c.width) + "\"");
            state.replace(begin, end - begin, block);
        }
        WriteFileText(stateFile, state);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printer);
        EXPECT_EQ(app.Attribute(c.printer, "media-default"), c.loaded);
        EXPECT_EQ(app.Attribute(c.printer, "media-ready"), c.loaded);
    }
}
}  // namespace

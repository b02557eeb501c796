// The printer application's test page, Identify-Printer and icons, through
// the running server and its file devices.
#include <gtest/gtest.h>
#include <pappl/pappl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/drivers/DriverCatalog.h"
#include "app/drivers/DriverMargins.h"
#include "languages/brother-ql/BrotherQlMedia.h"
#include "languages/ptouch/PtouchTape.h"
#include "support/AppServer.h"
#include "tools/preview/StreamDecoder.h"

namespace {
std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string SourceFile(const std::string& path) {
    std::ifstream in(std::string(DATA_DIR) + "/../../" + path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// FNV-1a over the page's size and dots.
uint64_t Digest(const tagDecodedPage& page) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    for (uint32_t v : {page.width, page.height})
        for (int i = 0; i < 4; i++) mix(static_cast<uint8_t>(v >> (8 * i)));
    for (uint8_t b : page.bits) mix(b);
    return h;
}

// The media's size in dots, cut to the head's width as the printer gets it;
// on a roll the page is as long as its picture (the paper's top and bottom
// margins are blank), and a roll printer's default feed after the page is
// paper the preview draws.
std::pair<uint32_t, uint32_t> PrintedSize(const DriverInfo& d) {
    const pwg_media_t* size = pwgMediaForPWG(d.media[0]);
    if (d.language->modelNumber == 27) {  // Brother QL prints inside the label's edges
        const QlMedia& m = QlMediaForPage(size->width / 100.0, size->length / 100.0, true);
        return {static_cast<uint32_t>(m.dots), static_cast<uint32_t>(m.lengthDots)};
    }
    const int width = size->width * d.dpi / 2540, paper = size->length * d.dpi / 2540;
    // (MarginsOf looks sizes up too, which may reuse the buffer `size` is in.)
    const int length = paper - (d.language->label ? 0 : 2 * MarginsOf(d).bottomTop * d.dpi / 2540);
    const char* feedMm = d.language->label ? nullptr : LanguageDefault(*d.language, "FeedOffset");
    const int feed = feedMm ? (std::atoi(feedMm) * d.dpi * 10 + 253) / 254 : 0;
    return {static_cast<uint32_t>(std::min(width, d.headDots)),
            static_cast<uint32_t>(length + feed)};
}
}  // namespace

TEST(PrinterFace, IdentifyFeedsPaperInEachLanguage) {
    struct Row {
        const char* driver;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"tspl_203", Bytes("FORMFEED\r\n")},
        {"escpos_58", {0x1B, 0x64, 0x03}},
        {"cpcl_2in", Bytes("! 0 200 200 8 1\r\nFORM\r\nPRINT\r\n")},
        // Feed 80 in a frame with the CRC-32 of the block from the default seed.
        {"paperang_203",
         {0xA5, 0x01, 0x07, 0x00, 0x05, 0x16, 0x03, 0x02, 0x00, 0x50, 0x00, 0x74, 0x56, 0xCF, 0xD8,
          0x5A}},
        {"peripage_203", {0x10, 0xFF, 0xFE, 0x01, 0x1B, 0x4A, 0x50, 0x10, 0xFF, 0xFE, 0x45}},
        {"zpl_203", Bytes("~PH\r\n")},
        {"epl_203", Bytes("\nN\nP1\n")},
        {"dymo_lw", {0x1B, 0x40, 0x1B, 0x45}},
        {"star_80", Bytes(std::string("\x1b*rA\x1b*rE3\0\x1b*rY24\0\x1b\x0c\x04\x1b*rB", 24))},
        {"brother_ql", {}},  // it cannot feed without printing: no identify action
    };
    AppServer app;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.driver);
        ASSERT_TRUE(app.AddPrinter(row.driver, row.driver));
        ipp_t* request = app.NewRequest(IPP_OP_IDENTIFY_PRINTER, row.driver);
        ippDelete(app.Send(request, "/ipp/print/" + std::string(row.driver)));
        EXPECT_EQ(app.DeviceBytes(row.driver), row.bytes);
        EXPECT_EQ(app.Attribute(row.driver, "identify-actions-supported"),
                  row.bytes.empty() ? "" : "sound");
    }
}

// Calibration from the command line and the web page: the command of the
// language for the sensing of the loaded media, or a sentence saying the
// language has none.
TEST(PrinterFace, CalibrationSendsTheLanguagesCommand) {
    struct Row {
        const char* printer;
        const char* driver;
        const char* tracking;  // loaded through the Media page; null: the default
        bool web;              // the Calibrate button, else `calibrate -d`
        std::string bytes;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {"gap", "tspl_203", nullptr, false, "GAPDETECT\r\n", 0, "the gap between labels"},
        {"mark", "tspl_203", "mark", false, "BLINEDETECT\r\n", 0, "the black mark"},
        {"zpl", "zpl_300", nullptr, false, "~JC\r\n", 0, "with the sensor it is set to"},
        {"epl", "epl_203", nullptr, true, "\nxa\n", 0, "Calibrating:"},
        {"till", "escpos_80", nullptr, false, "", 1, "ESC/POS printers have no calibration"},
        {"dymo", "dymo_lw", nullptr, false, "", 1, "DYMO printers have no calibration"},
    };
    AppServer app;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.printer);
        ASSERT_TRUE(app.AddPrinter(row.printer, row.driver));
        const std::string path = "/" + std::string(row.printer);
        if (row.tracking)
            app.SubmitForm(path + "/media", {{"ready0-size", "oe_4x6-label_4x6in"},
                                             {"ready0-tracking", row.tracking},
                                             {"ready0-type", "labels"}});
        std::string said;
        int status = 0;
        if (row.web) {
            said = app.SubmitForm(path + "/calibrate", {});
        } else {
            status = app.Command({"calibrate", "-d", row.printer}, &said);
        }
        EXPECT_EQ(status, row.status);
        EXPECT_NE(said.find(row.says), std::string::npos) << said;
        const std::vector<uint8_t> sent = app.DeviceBytes(row.printer);
        EXPECT_EQ(std::string(sent.begin(), sent.end()), row.bytes);
        // The printer's page links the Calibrate page where there is one.
        EXPECT_EQ(app.Fetch(path + "/").find(path + "/calibrate") != std::string::npos,
                  !row.bytes.empty());
    }
}

TEST(PrinterFace, TestPagePrintsAtTheDefaultMediaSize) {
    // Golden digests of the decoded dots for two drivers; the others are
    // checked for their size.
    const std::map<std::string, uint64_t> golden = {
        {"tspl_203", 9162337383664173180ull},
        {"escpos_58", 9138324298648104292ull},
    };
    AppServer app;
    for (const DriverInfo& driver : Drivers()) {
        SCOPED_TRACE(driver.name);
        ASSERT_TRUE(app.AddPrinter(driver.name, driver.name));
        const std::string page =
            app.SubmitForm("/" + std::string(driver.name) + "/", {{"action", "print-test-page"}});
        EXPECT_NE(page.find("Test page queued: the job list below shows when it has printed."),
                  std::string::npos);
        EXPECT_EQ(app.WaitForJob(driver.name, 1), IPP_JSTATE_COMPLETED);
        const std::vector<uint8_t> bytes = app.DeviceBytes(driver.name);
        tagDecodeOptions options;
        const tagDecodeResult result = DecodeStream(bytes.data(), bytes.size(), options);
        ASSERT_EQ(result.pages.size(), 1u) << result.error.message;
        const tagDecodedPage& decoded = result.pages[0];
        const auto [width, height] = PrintedSize(driver);
        // TSPL pads its rows past the page's width; a label turned onto a
        // narrow head (NIIMBOT D-series) is as tall as the head.
        EXPECT_GE(decoded.width, width);
        EXPECT_LE(decoded.width, width + 32);
        EXPECT_GE(decoded.height, height);
        EXPECT_LE(decoded.height, height + 7);
        auto known = golden.find(driver.name);
        if (known != golden.end()) {
            EXPECT_EQ(Digest(decoded), known->second);
        }
    }
}

// The black dots' bounding box of a decoded page: {width, height}.
std::pair<uint32_t, uint32_t> InkedSize(const tagDecodedPage& page) {
    uint32_t left = page.width, right = 0, top = page.height, bottom = 0;
    for (uint32_t y = 0; y < page.height; y++)
        for (uint32_t x = 0; x < page.width; x++)
            if (page.IsBlack(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (left > right) return {0, 0};
    return {right - left + 1, bottom - top + 1};
}

// The ticks of the test page's top ruler: black runs in the top inked row.
int TopTicks(const tagDecodedPage& page) {
    for (uint32_t y = 0; y < page.height; y++) {
        int runs = 0;
        for (uint32_t x = 0; x < page.width; x++)
            runs += page.IsBlack(x, y) && (x == 0 || !page.IsBlack(x - 1, y));
        if (runs) return runs;
    }
    return 0;
}

// The last of an integer attribute's values (the margin a printer that also
// prints borderless lists after 0).
int IntegerAttribute(const AppServer& app, const std::string& printer, const char* name) {
    const std::string values = app.Attribute(printer, name);
    return std::atoi(values.c_str() + values.find_last_of(',') + 1);
}

// On every driver and every medium it lists, loaded, the test page (drawn inside
// the advertised margins, its rulers on all four edges) prints whole: the
// inked area is the page inside the margins, and the top ruler has a tick
// for every millimetre it spans.
TEST(PrinterFace, TestPageRulersPrintWholeOnEveryMedium) {
    AppServer app;
    std::map<std::string, int> jobs;
    std::map<std::string, size_t> printed;  // device bytes before the round's job
    for (const DriverInfo& driver : Drivers())
        ASSERT_TRUE(app.AddPrinter(driver.name, driver.name));
    for (size_t i = 0;; i++) {
        std::vector<const DriverInfo*> round;
        for (const DriverInfo& driver : Drivers())
            if (i < driver.media.size()) round.push_back(&driver);
        if (round.empty()) break;
        for (const DriverInfo* driver : round) {
            ipp_t* request = app.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, driver->name);
            for (const char* attr : {"media-default", "media-ready"})
                ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, attr, nullptr,
                             driver->media[i]);
            ippDelete(app.Send(request, "/ipp/print/" + std::string(driver->name)));
            printed[driver->name] = app.DeviceBytes(driver->name).size();
            app.SubmitForm("/" + std::string(driver->name) + "/", {{"action", "print-test-page"}});
        }
        for (const DriverInfo* driver : round) {
            const std::string name = driver->name;
            SCOPED_TRACE(name + " " + driver->media[i]);
            EXPECT_EQ(app.WaitForJob(name, ++jobs[name]), IPP_JSTATE_COMPLETED);
            const std::vector<uint8_t> all = app.DeviceBytes(name);
            const size_t from = std::min(printed[name], all.size());
            const tagDecodeResult result = DecodeStream(all.data() + from, all.size() - from, {});
            ASSERT_EQ(result.pages.size(), 1u) << result.error.message;
            const tagDecodedPage& page = result.pages[0];
            const pwg_media_t* size = pwgMediaForPWG(driver->media[i]);
            const int side = IntegerAttribute(app, name, "media-left-margin-supported");
            const int end = IntegerAttribute(app, name, "media-top-margin-supported");
            auto dots = [&](int hundredths) { return hundredths * driver->dpi / 2540; };
            uint32_t width = dots(size->width) - dots(2 * side);
            // A P-touch prints the middle of its tape: the margins are one
            // for all tapes (none), the tape's edges stay white.
            if (driver->language->modelNumber == 33)
                width = std::min<uint32_t>(width, PtouchTapeForPage(size->width / 100.0).pins);
            const uint32_t length = dots(size->length) - dots(2 * end);
            EXPECT_EQ(InkedSize(page), std::make_pair(width, length));
            EXPECT_GE(TopTicks(page), static_cast<int>(width * 254 / driver->dpi / 10) - 1);
        }
    }
}

// Each printer has its family's icon (a label printer's is also the
// application's), and the pages say what they are about: the device a
// printer prints to, the port of a network printer, and room below the
// fixed footer.
TEST(PrinterFace, ServesOurIconsNameAndWords) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("label", "tspl_203"));
    ASSERT_TRUE(app.AddPrinter("till", "escpos_58"));
    ASSERT_TRUE(app.AddPrinter("pocket", "cat_203"));
    auto icon = [](const char* family, int size) {
        return SourceFile("app/web/icons/" + std::string(family) + "-" + std::to_string(size) +
                          ".png");
    };
    ASSERT_FALSE(icon("label", 48).empty());
    const std::pair<std::string, std::string> rows[] = {
        {"/navicon.png", icon("label", 48)},         {"/favicon.png", icon("label", 128)},
        {"/label/icon-sm.png", icon("label", 48)},   {"/label/icon-md.png", icon("label", 128)},
        {"/label/icon-lg.png", icon("label", 512)},  {"/till/icon-sm.png", icon("receipt", 48)},
        {"/till/icon-lg.png", icon("receipt", 512)}, {"/pocket/icon-md.png", icon("mini", 128)},
    };
    for (const auto& [path, body] : rows) EXPECT_EQ(app.Fetch(path), body) << path;
    EXPECT_NE(icon("label", 128), icon("receipt", 128));
    EXPECT_NE(icon("receipt", 128), icon("mini", 128));
    const std::string home = app.Fetch("/");
    EXPECT_NE(home.find("<title>Thermal Printer App</title>"), std::string::npos);
    EXPECT_NE(home.find("Thermal Printer App</span>"), std::string::npos);

    const std::pair<std::string, std::string> words[] = {
        {"/label/", "Device: <code>file://" + app.DevicePath("label") + "</code>"},
        {"/addprinter",
         "<input type=\"number\" name=\"port\" id=\"port\" min=\"1\" "
         "max=\"65535\" placeholder=\"9100\""},
        {"/style.css", "padding-bottom: 32px;"},
    };
    for (const auto& [path, text] : words)
        EXPECT_NE(app.Fetch(path).find(text), std::string::npos) << path << ": " << text;
    // A network printer added with its port in the port field.
    AppServer::Options form = {{"printer_name", "net"},
                               {"device_uri", "socket"},
                               {"hostname", "127.0.0.1"},
                               {"port", "99999"},
                               {"driver_name", "tspl_203"}};
    EXPECT_NE(app.SubmitForm("/addprinter", form).find("Bad port number"), std::string::npos);
    form["port"] = "9101";
    app.SubmitForm("/addprinter", form);
    EXPECT_NE(app.Fetch("/net/").find("Device: <code>socket://127.0.0.1:9101/</code>"),
              std::string::npos);
}

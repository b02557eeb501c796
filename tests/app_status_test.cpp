// The printer application against the printer simulator (tools/sim): what a
// printer reports shows in printer-state-reasons, and a job waits for paper
// or a closed cover instead of sending pages that would be lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/AppServer.h"
#include "support/PrinterSim.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

const fs::path kSim = fs::path(APP_PATH).parent_path() / "thermal-printer-sim";

// A job of two small labels, streamed: Print-Job answers when it has printed.
ipp_status_t PrintTwoLabels(const AppServer& server, const std::string& printer) {
    const std::string file = TempDir::Shared().NewPath("labels") + ".pwg";
    TestPage page = MakePage(400, 200, 255, 8, 203);
    for (unsigned y = 20; y < 180; y++)
        for (unsigned x = 20; x < 60; x++) page.SetGray(x, y, 0);
    WriteFileBytes(file, MakePwgRaster({page, page}));
    ipp_t* request = server.NewRequest(IPP_OP_PRINT_JOB, printer);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/pwg-raster");
    ipp_t* response = server.Send(request, "/ipp/print/" + printer, file);
    const ipp_status_t status = response ? ippGetStatusCode(response) : IPP_STATUS_ERROR_INTERNAL;
    ippDelete(response);
    return status;
}

enum class Then { kNothing, kLoadPaper, kCancel };  // once the reason shows

struct StatusCase {
    const char* name;
    const char* driver;
    std::vector<std::string> simOptions;
    const char* reasonWhileWaiting;  // null: the job never waits
    Then then;
    int pages;                     // printed by the simulator in the end
    int rounds = 1;                // times in a row, each with a new server and simulator
    const char* logged = nullptr;  // in the server's log
    const char* reasonsAfter = "none";
    const char* mediaReady = nullptr;  // media-ready after the job, as the printer told it
};

// clang-format off
const StatusCase kCases[] = {
    {"tspl paper out after one label", "tspl_203",
     {"--language", "tspl", "--paper-out-after", "1"}, "media-empty", Then::kLoadPaper, 2},
    {"escpos paper out from the start", "escpos_58",
     {"--language", "escpos", "--paper-out-after", "0"}, "media-empty", Then::kLoadPaper, 2},
    {"zpl paper out after one label", "zpl_203",
     {"--language", "zpl", "--paper-out-after", "1"}, "media-empty", Then::kLoadPaper, 2},
    // Open covers and hot heads last until the test sees the job wait, then
    // are put right (SIGUSR1): a timed window could pass before a slow
    // server even starts the job.
    {"tspl cover open", "tspl_203",
     {"--language", "tspl", "--cover-open", "600"}, "cover-open", Then::kLoadPaper, 2},
    {"escpos job cancelled while it waits", "escpos_58",
     {"--language", "escpos", "--paper-out-after", "0"}, "media-empty", Then::kCancel, 0},
    {"cat paper out after one page", "cat_203",
     {"--language", "cat", "--paper-out-after", "1"}, "media-empty", Then::kLoadPaper, 2},
    {"cat cover open", "cat_203",
     {"--language", "cat", "--cover-open", "600"}, "cover-open", Then::kLoadPaper, 2},
    {"cat head too hot", "cat_203",
     {"--language", "cat", "--head-hot", "600"}, "other", Then::kLoadPaper, 2, 1,
     "Waiting for the printer: Print head too hot."},
    {"cat battery low", "cat_203",
     {"--language", "cat", "--battery-low"}, nullptr, Then::kNothing, 2, 1,
     "The printer's battery is low.", "other-warning"},
    // Each page waits for the printer to say it printed.
    {"niimbot paper out after one label", "niimbot_b21_203",
     {"--language", "niimbot", "--paper-out-after", "1"}, "media-empty", Then::kLoadPaper, 2, 1,
     "The printer says the page printed."},
    // The simulator says it is a B21 (model id 768): the D-series driver keeps its sequence.
    {"niimbot cover open, another model than the driver's", "niimbot_d11_203",
     {"--language", "niimbot", "--cover-open", "600"}, "cover-open", Then::kLoadPaper, 2, 1,
     "The printer says it is a NIIMBOT B21, which is not a model of its driver"},
    {"escpos printer that never answers", "escpos_58",
     {"--language", "escpos", "--no-status"}, nullptr, Then::kNothing, 2},
    // A slow link: every answer comes 0.3 s after its query.
    {"tspl paper out, answers late", "tspl_203",
     {"--language", "tspl", "--paper-out-after", "1", "--answer-delay", "0.3"},
     "media-empty", Then::kLoadPaper, 2, 10},
    {"escpos paper out, answers late", "escpos_58",
     {"--language", "escpos", "--paper-out-after", "0", "--answer-delay", "0.3"},
     "media-empty", Then::kLoadPaper, 2, 3},
    // The tape the printer reports (24 mm) becomes the ready medium.
    {"ptouch no tape from the start", "ptouch_180",
     {"--language", "ptouch", "--paper-out-after", "0"}, "media-empty", Then::kLoadPaper, 2, 1,
     nullptr, "none", "om_24mm-tape_24x50mm"},
};
// clang-format on

void RunCase(const StatusCase& c) {
    PrinterSim sim(c.simOptions);
    const std::string uri = sim.Uri();
    ASSERT_FALSE(uri.empty()) << sim.Events();
    AppServer server;
    ASSERT_TRUE(server.AddPrinter("p", c.driver, uri));
    ipp_status_t printed = IPP_STATUS_ERROR_INTERNAL;
    std::thread job([&] { printed = PrintTwoLabels(server, "p"); });
    if (c.reasonWhileWaiting) {
        EXPECT_TRUE(WaitUntil(
            [&] {
                // The job waits (not only the idle check saw it).
                const int id = server.ActiveJob("p");
                return id && server.JobStateMessage("p", id).starts_with("Waiting") &&
                       server.Attribute("p", "printer-state-reasons").find(c.reasonWhileWaiting) !=
                           std::string::npos;
            },
            15000));
        // The web page's status line: one full stop after the reason.
        if (std::string_view(c.reasonWhileWaiting) == "media-empty") {
            EXPECT_NE(server.Fetch("/p/").find("Out of paper.<"), std::string::npos);
        }
        if (c.then == Then::kLoadPaper) sim.LoadPaper();
        if (c.then == Then::kCancel) server.CancelJob("p", server.ActiveJob("p"));
    }
    job.join();
    if (c.then != Then::kCancel) {
        EXPECT_EQ(printed, IPP_STATUS_OK);
    }
    EXPECT_TRUE(WaitUntil([&] { return sim.Pages() == c.pages; }, 10000)) << sim.Events();
    EXPECT_EQ(sim.Events().find("lost"), std::string::npos) << sim.Events();
    if (c.then != Then::kCancel) {
        EXPECT_EQ(server.Attribute("p", "printer-state-reasons"), c.reasonsAfter);
    }
    if (c.reasonWhileWaiting) {
        EXPECT_NE(server.Log().find("Waiting for the printer"), std::string::npos);
    }
    if (c.mediaReady) {
        EXPECT_EQ(server.Attribute("p", "media-ready"), c.mediaReady);
    }
    if (c.logged) {
        EXPECT_NE(server.Log().find(c.logged), std::string::npos) << server.Log();
    }
}
}  // namespace

TEST(PrinterAppStatus, JobsWaitForThePrinterAndShowWhy) {
    if (!fs::exists(kSim)) GTEST_SKIP() << kSim << " is not built";
    for (const StatusCase& c : kCases) {
        for (int round = 1; round <= c.rounds; round++) {
            SCOPED_TRACE(std::string(c.name) + ", round " + std::to_string(round));
            RunCase(c);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

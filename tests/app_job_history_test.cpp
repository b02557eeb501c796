// Jobs across stops of the printer application: queued jobs print exactly
// once after a graceful shutdown, SIGTERM or kill -9 on every kind of device;
// a job that cannot print ends saying why; the history keeps the configured
// number of jobs and busy refusals leave none.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/AppServer.h"
#include "support/ImageFiles.h"
#include "support/PrinterSim.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string SpoolDir(const AppServer& server) {
    return server.Dir() + "/thermal-printer-app.d";
}

// The files in the spool folder whose names end with `suffix`.
std::vector<std::string> SpoolFiles(const AppServer& server, const std::string& suffix) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(SpoolDir(server)))
        if (entry.path().string().ends_with(suffix)) files.push_back(entry.path().string());
    return files;
}

std::string LabelPng() {
    const std::string path = TempDir::Shared().NewPath("label") + ".png";
    WriteFileBytes(path, BandPng(240, 160));
    return path;
}

std::string LabelPwg() {
    const std::string path = TempDir::Shared().NewPath("label") + ".pwg";
    WriteFileBytes(path, MakePwgRaster({MakePage(384, 80, 0, 8, 203)}));
    return path;
}

// The ids of the printer's jobs that `which` ("completed", "all", ...) lists.
std::vector<int> JobIds(const AppServer& server, const std::string& printer,
                        const std::string& which) {
    ipp_t* request = server.NewRequest(IPP_OP_GET_JOBS, printer);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, which.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "job-id");
    ipp_t* response = server.Send(request, "/ipp/print/" + printer);
    std::vector<int> ids;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response))
        if (ippGetName(a) && std::string(ippGetName(a)) == "job-id")
            ids.push_back(ippGetInteger(a, 0));
    ippDelete(response);
    return ids;
}

// ---- Queued jobs across stops ------------------------------------------

enum class Stop { kShutdown, kTerm, kKill };

const char* StopName(Stop stop) {
    return stop == Stop::kShutdown ? "shutdown" : stop == Stop::kTerm ? "SIGTERM" : "kill -9";
}

void StopAndStart(AppServer& server, Stop stop) {
    if (stop == Stop::kShutdown) server.Command({"shutdown"});
    if (stop == Stop::kKill)
        server.Crash();
    else
        server.Restart();
}

struct QueuePrinter {
    const char* name;
    const char* driver;
    std::vector<std::string> simOptions;  // empty: a file device
};

// clang-format off
const QueuePrinter kQueuePrinters[] = {
    {"tspl",   "tspl_203",  {"--language", "tspl"}},                  // answers status
    {"zpl",    "zpl_203",   {"--language", "zpl"}},                   // answers status
    {"escpos", "escpos_58", {"--language", "escpos", "--no-status"}}, // one-way socket
    {"file",   "epl_203",   {}},
};
// clang-format on

// A printer of the scenario and what it has printed.
struct QueueSetUp {
    const QueuePrinter& row;
    std::unique_ptr<PrinterSim> sim;
    size_t jobBytes = 0;  // a file device's bytes per job
    int printed() const { return sim ? sim->Pages() : 0; }
};

// Jobs queued on paused printers, the server stopped, started and the
// printers resumed, `rounds` times (the stops in turn); every job must
// complete and print exactly once. Returns "" or what went wrong.
std::string QueuedJobsSurviveStops(int rounds, int jobsPerPrinter, int& printedOnce) {
    AppServer server;
    const std::string png = LabelPng();
    std::vector<QueueSetUp> printers;
    for (const QueuePrinter& row : kQueuePrinters) {
        QueueSetUp p{
            row, row.simOptions.empty() ? nullptr : std::make_unique<PrinterSim>(row.simOptions)};
        if (!server.AddPrinter(row.name, row.driver, p.sim ? p.sim->Uri() : ""))
            return std::string("add failed: ") + row.name;
        // One job first: the bytes a file device gets per job, and a check
        // that each simulator prints.
        const int id = server.Print(row.name, png, "image/png");
        if (server.WaitForJob(row.name, id) != IPP_JSTATE_COMPLETED)
            return std::string("first job failed on ") + row.name;
        p.jobBytes = server.DeviceBytes(row.name).size();
        if (p.sim && !WaitFor([&] { return p.sim->Pages() == 1; }, 10000))
            return std::string("no page from ") + row.name;
        printers.push_back(std::move(p));
    }
    for (int round = 0; round < rounds; round++) {
        const Stop stop = static_cast<Stop>(round % 3);
        const std::string where =
            std::string(" (round ") + std::to_string(round + 1) + ", " + StopName(stop) + ")";
        std::vector<std::pair<const char*, int>> jobs;
        std::vector<int> before;
        for (QueueSetUp& p : printers) {
            before.push_back(p.printed());
            if (server.Command({"pause", "-d", p.row.name}) != 0) return "pause failed" + where;
            for (int n = 0; n < jobsPerPrinter; n++)
                jobs.emplace_back(p.row.name, server.Print(p.row.name, png, "image/png"));
        }
        StopAndStart(server, stop);
        for (QueueSetUp& p : printers) {
            std::string said;
            if (server.Command({"resume", "-d", p.row.name}, &said) != 0)
                return "resume failed: " + said + where;
        }
        for (const auto& [printer, id] : jobs) {
            const ipp_jstate_t state = server.WaitForJob(printer, id, 30000);
            if (state != IPP_JSTATE_COMPLETED)
                return std::string(printer) + " job " + std::to_string(id) + " ended in state " +
                       std::to_string(state) + ": " + server.JobStateMessage(printer, id) + where;
        }
        for (size_t i = 0; i < printers.size(); i++) {
            QueueSetUp& p = printers[i];
            const int expected = jobsPerPrinter * (round + 1) + 1;
            if (p.sim) {
                WaitFor([&] { return p.printed() >= before[i] + jobsPerPrinter; }, 10000);
                if (p.printed() != before[i] + jobsPerPrinter)
                    return std::string(p.row.name) + " printed " +
                           std::to_string(p.printed() - before[i]) + " pages" + where;
            } else if (server.DeviceBytes(p.row.name).size() != p.jobBytes * expected) {
                return std::string(p.row.name) + " holds " +
                       std::to_string(server.DeviceBytes(p.row.name).size()) + " bytes, not " +
                       std::to_string(p.jobBytes * expected) + where;
            }
        }
        if (!SpoolFiles(server, ".png").empty()) return "documents left in the spool" + where;
        printedOnce += static_cast<int>(jobs.size());
    }
    return "";
}

// THERMAL_RESTART_ROUNDS runs more rounds (tests/reliability/restart-rounds).
TEST(JobHistory, QueuedJobsPrintOnceAfterEveryKindOfStop) {
    if (!PrinterSim::Built()) GTEST_SKIP() << "thermal-printer-sim is not built";
    const char* value = std::getenv("THERMAL_RESTART_ROUNDS");
    const int rounds = value ? std::atoi(value) : 3;
    int printedOnce = 0;
    EXPECT_EQ(QueuedJobsSurviveStops(rounds, 3, printedOnce), "");
    const int queued = rounds * 3 * static_cast<int>(std::size(kQueuePrinters));
    std::printf("%d rounds: %d of %d queued jobs printed exactly once\n", rounds, printedOnce,
                queued);
}

// ---- A job whose stop left a trace --------------------------------------

struct StopTraceCase {
    const char* name;
    bool endsBeforeStop;        // printed before the kill, the printer not paused
    const char* removedSuffix;  // of the spool file removed while stopped, or null
    const char* savedState;     // the state the saved state gives the job, or null
    ipp_jstate_t state;         // how the job ends after the start
    const char* message;        // the start of the job's message
    bool printsAfterStart;
};

// clang-format off
const StopTraceCase kStopTraceCases[] = {
    {"document removed",     false, ".png",  nullptr, IPP_JSTATE_ABORTED,   "The job's document was lost",    false},
    {"attributes removed",   false, ".ipp",  nullptr, IPP_JSTATE_ABORTED,   "The job's attributes were lost", false},
    {"killed as it printed", false, nullptr, "5",     IPP_JSTATE_COMPLETED,
     "The server stopped while the job printed; it is printed again", true},
    // The kill came after the printer took the job, before the state said so.
    {"killed before its end was saved", true, nullptr, "5", IPP_JSTATE_COMPLETED, "Job completed.", false},
};
// clang-format on

TEST(JobHistory, AJobEndsSayingWhatTheStopDid) {
    for (const StopTraceCase& c : kStopTraceCases) {
        SCOPED_TRACE(c.name);
        AppServer server;
        ASSERT_TRUE(server.AddPrinter("p", "tspl_203"));
        if (!c.endsBeforeStop) {
            ASSERT_EQ(server.Command({"pause", "-d", "p"}), 0);
        }
        const int id = server.Print("p", LabelPng(), "image/png");
        ASSERT_GT(id, 0);
        if (c.endsBeforeStop) {
            ASSERT_EQ(server.WaitForJob("p", id), IPP_JSTATE_COMPLETED);
        }
        const size_t printedBefore = server.DeviceBytes("p").size();
        server.Crash([&](const std::string& stateFile) {
            if (c.removedSuffix)
                for (const std::string& file : SpoolFiles(server, c.removedSuffix))
                    fs::remove(file);
            if (c.savedState) {
                const std::string text = Text(ReadFileBytes(stateFile));
                WriteFileText(stateFile,
                              std::regex_replace(text, std::regex("state=\"[0-9]\""),
                                                 std::string("state=\"") + c.savedState + "\""));
            }
        });
        server.Command({"resume", "-d", "p"});
        EXPECT_EQ(server.WaitForJob("p", id), c.state);
        EXPECT_TRUE(server.JobStateMessage("p", id).starts_with(c.message))
            << server.JobStateMessage("p", id);
        EXPECT_EQ(server.DeviceBytes("p").size() > printedBefore, c.printsAfterStart);
        // The next job prints.
        EXPECT_EQ(server.WaitForJob("p", server.Print("p", LabelPng(), "image/png")),
                  IPP_JSTATE_COMPLETED);
    }
}

// ---- The history ---------------------------------------------------------

// A streamed job sent the moment the last one ended can find the printer
// still closing that one and be refused as busy, which a client answers by
// sending it again.
static int PrintWhenFree(AppServer& server, const std::string& file, const std::string& format) {
    for (int tries = 0; tries < 50; tries++) {
        const int id = server.Print("p", file, format);
        if (id || cupsLastError() != IPP_STATUS_ERROR_BUSY) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

// Jobs in turn on a printer whose history keeps 5: the newest 5 stay,
// their files and the older ones' are gone, also after a restart.
TEST(JobHistory, HoldsTheConfiguredNumberOfJobs) {
    constexpr int kKept = 5;
    AppServer server;
    ASSERT_TRUE(server.AddPrinter("p", "escpos_58"));
    server.Restart([&](const std::string& stateFile) {
        const std::string text = Text(ReadFileBytes(stateFile));
        WriteFileText(stateFile, std::regex_replace(text, std::regex("MaxCompletedJobs [0-9]+"),
                                                    "MaxCompletedJobs " + std::to_string(kKept)));
    });
    const std::string png = LabelPng(), pwg = LabelPwg();
    std::vector<int> ids;
    for (int n = 0; n < 240; n++) {
        const bool streamed = n % 2 == 0;
        ids.push_back(PrintWhenFree(server, streamed ? pwg : png,
                                    streamed ? "image/pwg-raster" : "image/png"));
        ASSERT_EQ(server.WaitForJob("p", ids.back()), IPP_JSTATE_COMPLETED) << "job " << n;
    }
    const std::vector<int> newest(ids.end() - kKept, ids.end());
    std::vector<int> listed = JobIds(server, "p", "completed");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, newest);
    EXPECT_EQ(server.Attribute("p", "job-state", ids.front()), "none");
    // The last document goes a moment after its job ended.
    EXPECT_TRUE(WaitFor([&] { return SpoolFiles(server, ".png").empty(); }, 5000));
    EXPECT_LE(SpoolFiles(server, ".ipp").size(), size_t{kKept});

    server.Restart();
    listed = JobIds(server, "p", "all");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, newest);
    const std::string state = Text(ReadFileBytes(server.Dir() + "/thermal-printer-app.state"));
    const std::regex jobLine("\nJob ");
    const auto saved = std::distance(std::sregex_iterator(state.begin(), state.end(), jobLine),
                                     std::sregex_iterator());
    EXPECT_EQ(saved, kKept);
}

// A streamed job sent while another prints is refused as busy and leaves
// no job: the history holds the accepted jobs only, numbered in turn.
TEST(JobHistory, ABusyRefusalLeavesNoJob) {
    if (!PrinterSim::Built()) GTEST_SKIP() << "thermal-printer-sim is not built";
    PrinterSim sim({"--language", "escpos", "--no-status", "--bytes-per-second", "4000"});
    AppServer server;
    ASSERT_TRUE(server.AddPrinter("p", "escpos_58", sim.Uri()));
    const std::string tall = TempDir::Shared().NewPath("tall") + ".pwg";
    WriteFileBytes(tall, MakePwgRaster({MakePage(384, 1200, 0, 8, 203)}));
    const int first = server.Print("p", LabelPng(), "image/png");
    ASSERT_TRUE(WaitFor([&] { return server.PrinterState("p") == IPP_PSTATE_PROCESSING; }, 10000));
    for (int n = 0; n < 5; n++) {
        ipp_t* request = server.NewRequest(IPP_OP_PRINT_JOB, "p");
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                     "image/pwg-raster");
        ipp_t* response = server.Send(request, "/ipp/print/p", tall);
        EXPECT_EQ(ippGetStatusCode(response), IPP_STATUS_ERROR_BUSY);
        ippDelete(response);
    }
    EXPECT_EQ(JobIds(server, "p", "all"), std::vector<int>{first});
    EXPECT_EQ(server.WaitForJob("p", first, 60000), IPP_JSTATE_COMPLETED);
    EXPECT_EQ(server.Print("p", LabelPng(), "image/png"), first + 1);
}
}  // namespace

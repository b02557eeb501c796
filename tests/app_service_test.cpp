// The printer application as a service left running: concurrent clients,
// crashes, a log on standard error, shutdown. Every case goes through the
// real program over IPP and its command line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/AppServer.h"
#include "support/FilterRunner.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
using Bytes = std::vector<uint8_t>;

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        SleepMs(50);
    }
    return done();
}

// A small page that differs from the other jobs' by where its bar is.
std::string JobPage(unsigned width, unsigned dpi, int job) {
    TestPage page = MakePage(width, 120, 255, 8, dpi);
    for (unsigned y = 10; y < 110; y++)
        for (unsigned x = 0; x < 24; x++) page.SetGray(job * 30 + x, y, 0);
    const std::string path = TempDir::Shared().NewPath("job") + ".pwg";
    WriteFileBytes(path, MakePwgRaster({page}));
    return path;
}

// Print-Job as a CUPS queue or a phone sends it: again while the printer
// answers that it is busy. The final IPP status.
ipp_status_t PrintRetryingWhileBusy(AppServer& server, const std::string& printer,
                                    const std::string& file) {
    // Bounded by time, not tries: under the sanitizers a job takes longer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    ipp_status_t status = IPP_STATUS_ERROR_BUSY;
    for (int attempt = 0;
         status == IPP_STATUS_ERROR_BUSY && std::chrono::steady_clock::now() < deadline;
         attempt++) {
        if (attempt) SleepMs(50);
        ipp_t* request = server.NewRequest(IPP_OP_PRINT_JOB, printer);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                     "image/pwg-raster");
        ipp_t* response = server.Send(request, "/ipp/print/" + printer, file);
        status = response ? ippGetStatusCode(response) : IPP_STATUS_ERROR_BUSY;
        ippDelete(response);
    }
    return status;
}

// Whether `device` is the jobs' outputs one after another, each exactly
// once, in any order: two jobs printing at once interleave their bytes.
bool IsEachJobOnce(const Bytes& device, std::vector<Bytes> jobs) {
    size_t at = 0;
    while (!jobs.empty()) {
        auto next = std::find_if(jobs.begin(), jobs.end(), [&](const Bytes& job) {
            return device.size() - at >= job.size() &&
                   std::equal(job.begin(), job.end(), device.begin() + static_cast<long>(at));
        });
        if (next == jobs.end()) return false;
        at += next->size();
        jobs.erase(next);
    }
    return at == device.size();
}

// Set-Printer-Attributes over the network, as a client changing a default:
// the command line would start a server of its own while this one is down.
void SetFeed(AppServer& server, const std::string& printer, int feed) {
    ipp_t* request = server.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, printer);
    ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "thermal-feed-default", feed % 30);
    ippDelete(server.Send(request, "/ipp/print/" + printer));
}

std::vector<std::string> PrinterNames(AppServer& server) {
    std::string listing;
    server.Command({"printers"}, &listing);
    std::istringstream lines(listing);
    std::vector<std::string> names{std::istream_iterator<std::string>(lines), {}};
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

// Rounds of 30 jobs sent at once to 5 printers, debug log on: every job
// prints, whole and once, and the server keeps answering.
TEST(PrinterAppService, ConcurrentJobsPrintOnceEachAndTheServerKeepsAnswering) {
    struct Printer {
        const char* driver;
        const char* ppd;
        unsigned width, dpi;
    };
    const Printer printers[] = {{"tspl_203", "tspl-203", 812, 203},
                                {"escpos_80", "escpos80", 576, 203},
                                {"cpcl_3in", "cpcl-3in", 576, 203},
                                {"zpl_203", "zpl-203", 812, 203},
                                {"epl_203", "epl-203", 812, 203}};
    constexpr int kJobsPerPrinter = 6, kRounds = 2;
    AppServer server;
    std::vector<std::vector<std::string>> files(5);
    std::vector<std::vector<Bytes>> expected(5);
    for (size_t p = 0; p < 5; p++) {
        ASSERT_TRUE(server.AddPrinter(printers[p].driver, printers[p].driver));
        for (int j = 0; j < kJobsPerPrinter; j++) {
            files[p].push_back(JobPage(printers[p].width, printers[p].dpi, j));
            const std::string ppd = std::string(PPD_DIR) + "/" + printers[p].ppd + ".ppd";
            expected[p].push_back(RunFilter(ppd, ReadFileBytes(files[p].back()),
                                            AppDefaultPpdOptions(printers[p].driver))
                                      .out);
        }
    }
    for (int round = 0; round < kRounds; round++) {
        std::vector<std::thread> clients;
        std::vector<ipp_status_t> status(5 * kJobsPerPrinter);
        for (size_t p = 0; p < 5; p++)
            for (int j = 0; j < kJobsPerPrinter; j++)
                clients.emplace_back([&, p, j] {
                    status[p * kJobsPerPrinter + j] =
                        PrintRetryingWhileBusy(server, printers[p].driver, files[p][j]);
                });
        for (std::thread& c : clients) c.join();
        for (ipp_status_t s : status) EXPECT_EQ(s, IPP_STATUS_OK) << ippErrorString(s);
        ASSERT_TRUE(server.Alive());
        for (size_t p = 0; p < 5; p++) {
            std::vector<Bytes> jobs;
            for (int r = 0; r <= round; r++)
                jobs.insert(jobs.end(), expected[p].begin(), expected[p].end());
            EXPECT_TRUE(IsEachJobOnce(server.DeviceBytes(printers[p].driver), jobs))
                << printers[p].driver << " round " << round;
        }
        EXPECT_EQ(PrinterNames(server).size(), 5u);
    }
}

namespace {
// A raw TSPL job whose bytes name it.
std::string RawJob(int n) {
    const std::string path = TempDir::Shared().NewPath("raw") + ".tspl";
    WriteFileText(path, "CLS\r\nTEXT 10,10,\"1\",0,1,1,\"job " + std::to_string(n) + "\"\r\n");
    return path;
}

// Jobs queued on a paused printer and the server killed while the oldest
// printed: after a restart every job prints, oldest first, none stuck.
std::string QueuedJobsSurviveAKill(AppServer& server) {
    if (!server.AddPrinter("late", "tspl_203") || server.Command({"pause", "-d", "late"}) != 0)
        return "add or pause failed";
    std::string expected;
    std::vector<int> ids;
    for (int n = 1; n <= 3; n++) {
        const std::string job = RawJob(n);
        ids.push_back(server.Print("late", job, "application/vnd.thermal-tspl"));
        expected += Text(ReadFileBytes(job));
    }
    const std::string state = server.Dir() + "/thermal-printer-app.state";
    const std::string newest = "id=\"" + std::to_string(ids.back()) + "\"";
    WaitFor([&] { return Text(ReadFileBytes(state)).find(newest) != std::string::npos; }, 5000);
    server.Crash([](const std::string& stateFile) {
        // The oldest job comes last in the state file: mark it as printing.
        std::string text = Text(ReadFileBytes(stateFile));
        const size_t at = text.rfind("state=\"3\"");
        if (at != std::string::npos) text.replace(at, 9, "state=\"5\"");
        WriteFileText(stateFile, text);
    });
    // The printer is still paused after the restart: its jobs wait for this.
    if (server.PrinterState("late") != IPP_PSTATE_STOPPED ||
        server.Command({"resume", "-d", "late"}) != 0)
        return "not paused after the restart";
    for (int id : ids)
        if (server.WaitForJob("late", id, 20000) != IPP_JSTATE_COMPLETED)
            return "job " + std::to_string(id) + " did not complete";
    const std::string got = Text(server.DeviceBytes("late"));
    return got == expected ? "" : "device holds \"" + got + "\"";
}

// A serial printer that takes nothing until told: a pseudo-terminal whose
// other end the test reads only when it drains.
class StalledPort {
public:
    StalledPort() : m_master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = ptsname(m_master);
        m_slave = open(m_path.c_str(), O_RDWR | O_NOCTTY);  // no hang-up between jobs
    }
    ~StalledPort() {
        close(m_master);
        close(m_slave);
    }
    std::string Uri() const { return "serial:" + m_path; }
    void Drain() {
        uint8_t buffer[4096];
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) [[maybe_unused]]
            auto n = read(m_master, buffer, sizeof buffer);
    }

private:
    int m_master;
    int m_slave = -1;
    std::string m_path;
};

// Deleting a printer in the middle of a job cancels the job and removes the
// printer; the server goes on.
std::string DeleteWhilePrinting(AppServer& server) {
    StalledPort port;
    if (!server.AddPrinter("gone", "escpos_80", port.Uri())) return "add failed";
    const std::string file = TempDir::Shared().NewPath("tall") + ".pwg";
    WriteFileBytes(file, MakePwgRaster(std::vector<TestPage>(4, MakePage(576, 2000, 128, 8, 203))));
    std::atomic<bool> printed = false;
    std::thread job([&] {
        server.Print("gone", file, "image/pwg-raster");
        printed = true;
    });
    WaitFor([&] { return server.PrinterState("gone") == IPP_PSTATE_PROCESSING; }, 5000);
    const int deleted = server.Command({"delete", "-d", "gone"});
    for (int i = 0; i < 1000 && !printed; i++) port.Drain();
    job.join();
    if (deleted != 0) return "delete failed";
    if (!server.Alive()) return "server died";
    return PrinterNames(server).empty() ? "" : "printer still listed";
}

// Eight pictures sent one after another, each waiting for its answer.
std::string PicturesBackToBack(AppServer& server) {
    if (!server.AddPrinter("pics", "tspl_203")) return "add failed";
    const std::string png = std::string(DATA_DIR) + "/../../docs/preview-label.png";
    std::vector<int> ids;
    for (int n = 0; n < 8; n++) ids.push_back(server.Print("pics", png, "image/png"));
    for (int id : ids)
        if (server.WaitForJob("pics", id) != IPP_JSTATE_COMPLETED)
            return "job " + std::to_string(id) + " did not complete";
    return server.Log().find("Starting job") == std::string::npos ? "no job started" : "";
}

std::string ShutdownEndsTheServer(AppServer& server) {
    const auto start = std::chrono::steady_clock::now();
    if (server.Command({"shutdown"}) != 0) return "shutdown failed";
    if (!WaitFor([&] { return !server.Alive(); }, 5000)) return "still running after 5 s";
    const auto took = std::chrono::steady_clock::now() - start;
    return took < std::chrono::seconds(5) ? "" : "took too long";
}

// A second server on the same port exits non-zero and says why.
std::string TakenPortIsAnError(AppServer& server) {
    const std::string uri = server.PrinterUri("x");  // ipp://127.0.0.1:PORT/...
    const size_t port = uri.find(':', 6) + 1;
    AppServer second(
        AppServer::Options{{"server-port", uri.substr(port, uri.find('/', port) - port)}});
    if (!WaitFor([&] { return !second.Alive(); }, 5000)) return "second server still running";
    const std::string said = "Port " + uri.substr(port, uri.find('/', port) - port) + " is in use";
    return second.Output().find(said) != std::string::npos ? "" : second.Output();
}

// A kill at any moment while settings are being saved loses no printer.
std::string AKillWhileSavingKeepsEveryPrinter(AppServer& server) {
    const std::vector<std::string> names = {"a", "b", "c", "d"};
    for (const std::string& name : names)
        if (!server.AddPrinter(name, "escpos_80")) return "add failed";
    // The server saves within a second of a change; the kills below come
    // while it saves the settings.
    const std::string state = server.Dir() + "/thermal-printer-app.state";
    WaitFor([&] { return Text(ReadFileBytes(state)).find("name=\"d\"") != std::string::npos; },
            5000);
    std::mt19937 random(7);
    for (int round = 0; round < 8; round++) {
        std::thread changes([&] {
            for (int i = 0; i < 6; i++) SetFeed(server, names[i % 4], round * 6 + i);
        });
        SleepMs(static_cast<int>(random() % 120));
        server.Crash();
        changes.join();
        if (PrinterNames(server) != names) return "printers lost in round " + std::to_string(round);
    }
    return "";
}

// Standard error going to a file past PAPPL's 1 MiB rotation size: the
// server starts, prints, and keeps its log there.
std::string ALogOnStandardErrorPastOneMebibyte(AppServer& server) {
    server.Restart([&](const std::string&) {
        std::ofstream(server.Dir() + "/server.out") << std::string(1100 * 1024, 'x') << '\n';
    });
    if (!server.AddPrinter("p", "tspl_203")) return "add failed";
    const int id = server.Print("p", JobPage(812, 203, 1), "image/pwg-raster");
    if (server.WaitForJob("p", id) != IPP_JSTATE_COMPLETED) return "job did not complete";
    return server.Output().find("Completed, job-impressions-completed=1") == std::string::npos
               ? "no log on standard error"
               : "";
}

// What the command line tells a user: the driver's options with their
// values and defaults, a readable status, the drivers by name, devices.
std::string TheCommandLineTells(AppServer& server) {
    std::string options, status, drivers;
    if (!server.AddPrinter("till", "escpos_80") || server.Command({"pause", "-d", "till"}) != 0)
        return "add or pause failed";
    server.Command({"options", "-d", "till"}, &options);
    server.Command({"status", "-d", "till"}, &status);
    server.Command({"drivers"}, &drivers);
    std::string devices;  // without avahi-daemon: one sentence, no library errors
    if (server.Command({"devices"}, &devices) != 0 ||
        devices.find("Unable to") != std::string::npos)
        return "devices: " + devices;
    // No avahi-daemon here: a notice, not an error.
    if (server.Log().find("Unable to initialize DNS-SD") != std::string::npos)
        return "DNS-SD logged as an error";
    std::string autoadd, help;  // nothing attached here: autoadd says so
    server.Command({"autoadd"}, &autoadd);
    if (autoadd.find("No new USB printer that a driver fits was found") == std::string::npos)
        return "autoadd: " + autoadd;
    server.Command({"--help"}, &help);
    if (help.find("  calibrate ") == std::string::npos ||
        help.find("socket:, usb:, serial:, ble: or file:") == std::string::npos)
        return "--help: " + help;
    if (options.find("-o thermal-dither=burkes (default)") == std::string::npos ||
        options.find("-o thermal-threshold=64 to 240") == std::string::npos)
        return "options: " + options;
    if (status.find("GMT, paused.") == std::string::npos) return "status: " + status;
    return drivers.find("cpcl_2in") < drivers.find("zpl_300") &&
                   drivers.find("peripage_300") < drivers.find("tspl_203")
               ? ""
               : "drivers: " + drivers;
}

std::string ControlSocketIsPrivate(AppServer& server) {
    struct stat info {};
    if (stat((server.Dir() + "/thermal-printer-app.sock").c_str(), &info) != 0) return "no socket";
    return (info.st_mode & 0007) == 0 ? "" : "others may use the socket";
}
}  // namespace

// What a shop's server lives through, each on a fresh server: the row's
// check returns what went wrong, or nothing.
TEST(PrinterAppService, SurvivesWhatAShopDoesToIt) {
    const struct {
        const char* what;
        std::string (*check)(AppServer&);
        AppServer::Options serverOptions = {};
    } rows[] = {
        {"queued jobs survive a kill", QueuedJobsSurviveAKill},
        {"a kill while saving", AKillWhileSavingKeepsEveryPrinter},
        {"log on standard error", ALogOnStandardErrorPastOneMebibyte, {{"log-file", "-"}}},
        {"delete while printing", DeleteWhilePrinting},
        {"pictures back to back", PicturesBackToBack},
        {"shutdown", ShutdownEndsTheServer},
        {"port taken", TakenPortIsAnError},
        {"control socket", ControlSocketIsPrivate},
        {"the command line tells", TheCommandLineTells},
    };
    for (const auto& row : rows) {
        AppServer server(row.serverOptions);
        EXPECT_EQ(row.check(server), "") << row.what;
        EXPECT_TRUE(row.check == ShutdownEndsTheServer || server.Alive()) << row.what;
    }
}

// The printer application against network printers (tools/sim) that read
// slowly, answer status late or stop reading: a job is completed only once
// the printer has all of it, and a printer that hangs holds neither a
// cancel nor a shutdown.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/ImageFiles.h"
#include "support/PrinterSim.h"
#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

const fs::path kSim = fs::path(APP_PATH).parent_path() / "thermal-printer-sim";

struct DeliveryCase {
    const char* name;
    const char* driver;
    std::vector<std::string> simOptions;
    int labels;
};

// clang-format off
const DeliveryCase kDeliveryCases[] = {
    {"tspl at 20 kB/s, status answered after 300 ms", "tspl_203",
     {"--language", "tspl", "--bytes-per-second", "20000", "--answer-delay", "0.3"}, 6},
    {"escpos at 20 kB/s, status answered after 300 ms", "escpos_58",
     {"--language", "escpos", "--bytes-per-second", "20000", "--answer-delay", "0.3"}, 4},
    {"zpl at 50 kB/s, status answered at once", "zpl_203",
     {"--language", "zpl", "--bytes-per-second", "50000"}, 4},
};
// clang-format on

TEST(PrinterAppDelivery, JobsCompleteOnlyOnceThePrinterHasThem) {
    if (!fs::exists(kSim)) GTEST_SKIP() << kSim << " is not built";
    const std::string label = TempDir::Shared().NewPath("label") + ".png";
    WriteFileBytes(label, BandPng(384, 400));
    for (const DeliveryCase& c : kDeliveryCases) {
        SCOPED_TRACE(c.name);
        PrinterSim sim(c.simOptions);
        const std::string uri = sim.Uri();
        ASSERT_FALSE(uri.empty()) << sim.Events();
        AppServer server;
        ASSERT_TRUE(server.AddPrinter("p", c.driver, uri));
        std::vector<int> jobs;
        for (int i = 0; i < c.labels; i++) jobs.push_back(server.Print("p", label, "image/png"));
        for (int i = 0; i < c.labels; i++) {
            ASSERT_NE(jobs[i], 0);
            EXPECT_EQ(server.WaitForJob("p", jobs[i], 60000), IPP_JSTATE_COMPLETED)
                << server.JobStateMessage("p", jobs[i]);
            // Completed means the printer had printed it by then.
            EXPECT_GE(sim.Pages(), i + 1) << sim.Events();
        }
        EXPECT_TRUE(WaitUntil([&] { return sim.Pages() >= c.labels; }, 10000));
        EXPECT_EQ(sim.Pages(), c.labels) << sim.Events();
    }
}

enum class Stall { kStopsReading, kFrozen };

struct StallCase {
    const char* name;
    Stall how;
    int stopSignal;  // 0: the `shutdown` subcommand
};

// clang-format off
const StallCase kStallCases[] = {
    {"stops reading mid-job, shut down", Stall::kStopsReading, 0},
    {"frozen (answers nothing), SIGTERM", Stall::kFrozen, SIGTERM},
};
// clang-format on

// A job in the printer's own language, larger than the connection buffers.
std::string BigRawJob() {
    const std::string path = TempDir::Shared().NewPath("big") + ".tspl";
    if (!fs::exists(path)) WriteFileBytes(path, std::vector<uint8_t>(12 << 20, '\n'));
    return path;
}

TEST(PrinterAppDelivery, APrinterThatStopsReadingHoldsNoCancelNorShutdown) {
    if (!fs::exists(kSim)) GTEST_SKIP() << kSim << " is not built";
    const std::string big = BigRawJob();
    const std::string label = TempDir::Shared().NewPath("small") + ".png";
    WriteFileBytes(label, BandPng(384, 200));
    for (const StallCase& c : kStallCases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> options{"--language", "tspl"};
        if (c.how == Stall::kStopsReading)
            options.insert(options.end(), {"--stall-after", "65536"});
        PrinterSim sim(options);
        const std::string uri = sim.Uri();
        ASSERT_FALSE(uri.empty()) << sim.Events();
        AppServer server;
        ASSERT_TRUE(server.AddPrinter("p", "tspl_203", uri));
        if (c.how == Stall::kFrozen) sim.Freeze();
        const int stuck = server.Print("p", big, "application/vnd.thermal-tspl");
        ASSERT_NE(stuck, 0);
        // The printer shows offline and the job says why.
        EXPECT_TRUE(WaitUntil(
            [&] {
                return server.Attribute("p", "printer-state-reasons").find("offline") !=
                           std::string::npos &&
                       server.JobStateMessage("p", stuck) == "The printer is not taking data.";
            },
            30000))
            << server.Attribute("p", "printer-state-reasons") << " / "
            << server.JobStateMessage("p", stuck);
        const int queued = server.Print("p", label, "image/png");
        server.CancelJob("p", stuck);
        EXPECT_EQ(server.WaitForJob("p", stuck, 5000), IPP_JSTATE_CANCELED);
        // The next job goes to the same hung printer; the server still stops.
        EXPECT_TRUE(WaitUntil([&] { return server.ActiveJob("p") == queued; }, 5000));
        EXPECT_TRUE(server.StopsWithin(5000, c.stopSignal)) << server.Log();
    }
}

}  // namespace

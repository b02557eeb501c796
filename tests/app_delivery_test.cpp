// The printer application against network printers (tools/sim) that read
// slowly, answer status late or stop reading: a job is completed only once
// the printer has all of it, and a printer that hangs holds neither a
// cancel nor a shutdown. Jobs that come in by socket printing print or are
// refused to their sender, and a full disk loses no printer, setting or job.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
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

// Sends bytes to a socket printing port and closes the sending side: true
// when the server then closed the connection in order (it took the job),
// false when it reset it or could not be reached.
bool SendRaw(int port, const std::vector<uint8_t>& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    bool sent = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    for (size_t at = 0; sent && at < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        sent = n > 0;
        at += n > 0 ? size_t(n) : 0;
    }
    char c;
    const bool inOrder = sent && shutdown(fd, SHUT_WR) == 0 && recv(fd, &c, 1, 0) == 0;
    close(fd);
    return inOrder;
}

// The IPv4 and IPv6 addresses (as /proc/net writes them) listening on a port.
std::set<std::string> ListeningOn(int port) {
    std::set<std::string> addresses;
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line, slot, local, remote, state;
        std::getline(in, line);
        while (in >> slot >> local >> remote >> state && std::getline(in, line))
            if (state == "0A" && local.ends_with(wanted))
                addresses.insert(local.substr(0, local.find(':')));
    }
    return addresses;
}

struct RawCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool taken;  // printed as sent; else the sender's connection is reset
};

TEST(PrinterAppDelivery, SocketPrintingPrintsWhatItTakesAndResetsTheRest) {
    const int port = AppServer::FreePort();
    AppServer server({{"server-options", "raw-socket"},
                      {"raw-socket-port", std::to_string(port)},
                      {"max-job-size", "1M"}});
    ASSERT_TRUE(server.AddPrinter("p", "tspl_203"));
    // Only where listen-hostname says: 127.0.0.1.
    EXPECT_EQ(ListeningOn(port), std::set<std::string>{"0100007F"});
    const std::string label =
        "SIZE 50 mm,25 mm\r\nCLS\r\nTEXT 10,10,\"1\",0,1,1,\"RAW\"\r\nPRINT 1\r\n";
    const RawCase cases[] = {
        {"a TSPL label", std::vector<uint8_t>(label.begin(), label.end()), true},
        {"past the job limit", std::vector<uint8_t>(2 << 20, '\n'), false},
    };
    for (const RawCase& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = server.DeviceBytes("p").size();
        EXPECT_EQ(SendRaw(port, c.bytes), c.taken);
        if (c.taken)
            EXPECT_TRUE(WaitUntil(
                [&] { return server.DeviceBytes("p").size() == before + c.bytes.size(); }, 10000));
        else
            EXPECT_NE(server.Log().find("Refused the socket print job from '127.0.0.1': The "
                                        "document is larger than the 1 MiB"),
                      std::string::npos);
    }
    const std::vector<uint8_t> printed = server.DeviceBytes("p");
    EXPECT_EQ(std::string(printed.begin(), printed.end()), label);
    // The refused document is not kept (the attributes and ends of jobs are).
    for (const auto& entry : fs::directory_iterator(server.Dir() + "/thermal-printer-app.d"))
        EXPECT_TRUE(entry.path().extension() == ".ipp" || entry.path().extension() == ".end")
            << entry.path();
}

// A tmpfs of 2 MiB mounted on a folder for the life of the test (root only).
class SmallDisk {
public:
    void Mount(const std::string& dir) {
        m_dir = dir;
        m_mounted = mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=2m") == 0;
    }
    ~SmallDisk() {
        if (m_mounted) umount2(m_dir.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    void Fill() const {
        std::FILE* f = std::fopen((m_dir + "/filler").c_str(), "w");
        const std::vector<char> block(4096);
        while (f && std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
        }
        if (f) std::fclose(f);
    }
    void Free() const { fs::remove(m_dir + "/filler"); }

private:
    std::string m_dir;
    bool m_mounted = false;
};

std::string FileText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(PrinterAppDelivery, AFullDiskLosesNoPrinterSettingOrJob) {
    SmallDisk disk;
    const std::string out = TempDir::Shared().NewPath("full-out"), log = out + ".log";
    fs::create_directories(out);
    WriteFileText(out + "/p.prn", "");
    AppServer server({{"file-device-folder", out}, {"log-file", log}},
                     [&](const std::string& dir) { disk.Mount(dir); });
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(server.AddPrinter("p", "tspl_203", "file://" + out + "/p.prn"));
    ASSERT_EQ(server.Command({"pause", "-d", "p"}), 0);
    const std::string label = TempDir::Shared().NewPath("label") + ".png";
    WriteFileBytes(label, BandPng(384, 200));
    const int queued = server.Print("p", label, "image/png");
    ASSERT_NE(queued, 0);
    const std::string stateFile = server.Dir() + "/thermal-printer-app.state";
    const std::string saved = FileText(stateFile);

    disk.Fill();
    std::string said;
    EXPECT_EQ(server.Command({"modify", "-d", "p", "-o", "thermal-dither=stucki"}, &said), 1);
    EXPECT_NE(said.find("The change could not be saved (No space left on device)"),
              std::string::npos)
        << said;
    EXPECT_NE(server.SubmitForm("/p/printing", {{"thermal-dither", "bayer-4x4"}})
                  .find("The changes could not be saved"),
              std::string::npos);
    ipp_t* job = server.NewRequest(IPP_OP_PRINT_JOB, "p");
    ippAddString(job, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, "image/png");
    ipp_t* refused = server.Send(job, "/ipp/print/p", label);
    EXPECT_GE(ippGetStatusCode(refused), IPP_STATUS_ERROR_BAD_REQUEST);
    ippDelete(refused);
    EXPECT_EQ(FileText(stateFile), saved);
    EXPECT_NE(FileText(log).find("Unable to save the state"), std::string::npos);

    disk.Free();
    EXPECT_EQ(server.Command({"modify", "-d", "p", "-o", "thermal-dither=stucki"}), 0);
    server.Restart();
    EXPECT_EQ(server.Attribute("p", "thermal-dither-default"), "stucki");
    ASSERT_EQ(server.Command({"resume", "-d", "p"}), 0);
    EXPECT_EQ(server.WaitForJob("p", queued), IPP_JSTATE_COMPLETED);
    EXPECT_FALSE(ReadFileBytes(out + "/p.prn").empty());
}

}  // namespace

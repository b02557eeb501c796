#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/devices/SerialDevice.h"
#include "app/devices/SerialUri.h"
#include "support/AppServer.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
// A pseudo-terminal standing in for a serial printer: the application gets
// the slave's path, a thread drains the master. With `stopAfter` set, the
// thread stops reading once that many bytes came and, a moment later, closes
// the master: the port vanishes in the middle of a job.
class FakePrinterPort {
public:
    explicit FakePrinterPort(size_t stopAfter = 0) : m_stopAfter(stopAfter) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        m_path = ptsname(m_master);
        // Held open so the master never sees a hang-up between jobs.
        m_slave = open(m_path.c_str(), O_RDWR | O_NOCTTY);
        m_reader = std::thread([this] { Drain(); });
    }
    ~FakePrinterPort() {
        m_stop = true;
        if (m_reader.joinable()) m_reader.join();
        if (m_master >= 0) close(m_master);
        if (m_slave >= 0) close(m_slave);
    }
    const std::string& Path() const { return m_path; }
    std::vector<uint8_t> Bytes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    // Waits (bounded) until `count` bytes came.
    bool WaitFor(size_t count) {
        for (int i = 0; i < 200 && Bytes().size() < count; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return Bytes().size() >= count;
    }

private:
    void Drain() {
        uint8_t buffer[4096];
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0) continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bytes.insert(m_bytes.end(), buffer, buffer + n);
            if (m_stopAfter && m_bytes.size() >= m_stopAfter) break;
        }
        if (!m_stopAfter || m_stop) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the port fills up
        close(m_slave);
        close(m_master);
        m_slave = m_master = -1;
    }

    int m_master = -1, m_slave = -1;
    std::string m_path;
    size_t m_stopAfter;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<uint8_t> m_bytes;
    std::thread m_reader;
};

std::string WriteFile(const std::string& stem, const std::vector<uint8_t>& bytes) {
    const std::string path = TempDir::Shared().NewPath(stem);
    WriteFileBytes(path, bytes);
    return path;
}

// Gray pages that dither into a busy bitmap.
std::string GrayPages(unsigned width, unsigned height, int count) {
    std::vector<TestPage> pages;
    for (int i = 0; i < count; i++) {
        TestPage page = MakePage(width, height, 255);
        for (unsigned y = 0; y < height; y++)
            for (unsigned x = 0; x < width; x++)
                page.SetGray(x, y, static_cast<uint8_t>((x * 7 + y * 3 + i * 40) % 256));
        pages.push_back(page);
    }
    return WriteFile("gray", MakePwgRaster(pages));
}

std::string SerialUri(const FakePrinterPort& port, const std::string& query = "?baud=115200") {
    return "serial:" + port.Path() + query;
}

TEST(SerialUri, ReadsPortSpeedAndFlowControlAndNamesWhatIsWrong) {
    struct Case {
        const char* uri;
        const char* path;  // null: refused
        int baud;
        FlowControl flow;
        const char* error = "";
    };
    const Case cases[] = {
        {"serial:/dev/rfcomm0", "/dev/rfcomm0", 115200, FlowControl::None},
        {"serial:///dev/ttyUSB1?baud=9600", "/dev/ttyUSB1", 9600, FlowControl::None},
        {"serial:/dev/ttyACM0?baud=921600&flow=rtscts", "/dev/ttyACM0", 921600,
         FlowControl::RtsCts},
        {"serial:/dev/serial/by-id/usb-x:1.0?flow=xonxoff", "/dev/serial/by-id/usb-x:1.0", 115200,
         FlowControl::XonXoff},
        {"serial:/dev/rfcomm0?baud=12345", nullptr, 0, {}, "baud=12345 is not a supported speed"},
        {"serial:/dev/rfcomm0?baud=", nullptr, 0, {}, "baud= is not a supported speed"},
        {"serial:/dev/rfcomm0?baud=9600x", nullptr, 0, {}, "baud=9600x is not"},
        {"serial:/dev/rfcomm0?flow=hardware",
         nullptr,
         0,
         {},
         "flow=hardware is not a flow control"},
        {"serial:/dev/rfcomm0?speed=9600", nullptr, 0, {}, "speed=9600 is not an option"},
        {"serial:/tmp/printer", nullptr, 0, {}, "must be a device path"},
        {"serial:rfcomm0", nullptr, 0, {}, "must be a device path"},
        {"serial:/dev/../etc/passwd", nullptr, 0, {}, "must be a device path"},
        {"serial:/dev/", nullptr, 0, {}, "must be a device path"},
        {"serial://host/dev/ttyS0", nullptr, 0, {}, "must be a device path"},
        {"file:/dev/ttyS0", nullptr, 0, {}, "not a serial: URI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uri);
        SerialSettings s;
        std::string error;
        ASSERT_EQ(ParseSerialUri(c.uri, s, error), c.path != nullptr) << error;
        if (!c.path) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(s.path, c.path);
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.flow, c.flow);
    }
}

TEST(SerialPorts, ListsBluetoothAndUsbSerialPortsOnly) {
    const std::string dir = TempDir::Shared().NewPath("dev");
    std::filesystem::create_directories(dir);
    for (const char* name : {"ttyUSB1", "rfcomm0", "ttyACM0", "ttyS0", "rfcomm", "ttyUSBx", "sda"})
        WriteFileText(dir + "/" + name, "");
    const std::vector<SerialPortEntry> ports = FindSerialPorts(dir);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].uri, "serial:" + dir + "/rfcomm0?baud=115200");
    EXPECT_EQ(ports[1].path, dir + "/ttyACM0");
    EXPECT_EQ(ports[2].path, dir + "/ttyUSB1");
    EXPECT_NE(ports[0].info.find("Bluetooth"), std::string::npos);
}

class SerialPrinter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new AppServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    static inline AppServer* server = nullptr;
};

// Every byte value passes the port unchanged (no newline, flow-control or
// signal characters acted on), and a job gives the bytes it gives on a file.
TEST_F(SerialPrinter, JobsArriveIntact) {
    FakePrinterPort port;
    ASSERT_FALSE(port.Path().empty());
    ASSERT_TRUE(server->AddPrinter("bt", "paperang_203", SerialUri(port)));
    ASSERT_TRUE(server->AddPrinter("onfile", "paperang_203"));

    std::vector<uint8_t> raw;
    for (int i = 0; i < 64 * 256; i++) raw.push_back(static_cast<uint8_t>(i * 7 + i / 256));
    int id = server->Print("bt", WriteFile("raw", raw), "application/vnd.thermal-paperang");
    ASSERT_EQ(server->WaitForJob("bt", id), IPP_JSTATE_COMPLETED);
    ASSERT_TRUE(port.WaitFor(raw.size()));
    EXPECT_TRUE(port.Bytes() == raw) << port.Bytes().size() << " bytes";

    const std::string pages = GrayPages(384, 600, 2);
    id = server->Print("onfile", pages, "image/pwg-raster");
    ASSERT_EQ(server->WaitForJob("onfile", id), IPP_JSTATE_COMPLETED);
    const std::vector<uint8_t> expected = server->DeviceBytes("onfile");
    id = server->Print("bt", pages, "image/pwg-raster");
    ASSERT_EQ(server->WaitForJob("bt", id), IPP_JSTATE_COMPLETED);
    ASSERT_TRUE(port.WaitFor(raw.size() + expected.size()));
    const std::vector<uint8_t> all = port.Bytes();
    EXPECT_FALSE(expected.empty());
    EXPECT_TRUE(std::vector<uint8_t>(all.begin() + static_cast<long>(raw.size()), all.end()) ==
                expected)
        << all.size() - raw.size() << " bytes on the port, " << expected.size() << " on file";
}

// The port goes away while a long job streams: the job ends aborted, the
// log says why, and another printer prints the next job.
TEST_F(SerialPrinter, APortThatVanishesAbortsTheJobAndTheServerGoesOn) {
    FakePrinterPort port(16384);
    ASSERT_TRUE(server->AddPrinter("gone", "escpos_58", SerialUri(port)));
    ASSERT_TRUE(server->AddPrinter("next", "escpos_58"));
    const std::string pages = GrayPages(384, 2000, 6);
    const int id = server->Print("gone", pages, "image/pwg-raster");
    EXPECT_EQ(server->WaitForJob("gone", id, 60000), IPP_JSTATE_ABORTED);
    EXPECT_NE(server->Log().find("has gone away"), std::string::npos);
    ASSERT_TRUE(server->Alive());
    EXPECT_NE(server->PrinterState("gone"), IPP_PSTATE_PROCESSING);

    const int next = server->Print("next", pages, "image/pwg-raster");
    EXPECT_EQ(server->WaitForJob("next", next), IPP_JSTATE_COMPLETED);
    EXPECT_GT(server->DeviceBytes("next").size(), 6u * 2000 * 48);
}

TEST_F(SerialPrinter, UnusableUrisAreRefusedWithTheReason) {
    EXPECT_FALSE(server->AddPrinter("fast", "escpos_58", "serial:/dev/ttyUSB0?baud=12345"));
    EXPECT_FALSE(server->AddPrinter("tmp", "escpos_58", "serial:/tmp/printer"));
    EXPECT_NE(server->Log().find("baud=12345 is not a supported speed"), std::string::npos);
    EXPECT_NE(server->Log().find("must be a device path"), std::string::npos);
}
}  // namespace

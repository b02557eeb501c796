// thermal-printer-sim run as a program: bytes sent over TCP or its
// pseudo-terminal, the answers read back, its event log and its output.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "printers/IdentifyCommands.h"
#include "printers/Languages.h"
#include "support/PreviewStreams.h"
#include "support/TempDir.h"

using namespace std::string_literals;

namespace {

struct SimStep {
    Bytes data;              // job bytes, kept in stream.bin
    Bytes query;             // sent after them, taken out of the stream
    std::string reply;       // what comes back before the next step
    bool loadPaper = false;  // SIGUSR1 first
};

struct SimCase {
    const char* name;
    std::vector<std::string> options;  // --language and the rest; --port 0 is added
    std::vector<SimStep> steps;
    std::vector<std::string> events;  // lines of the log, in this order
    int pngs;
    bool pty = false;  // through --pty instead of TCP
};

// The simulator as a child process, its standard output on a pipe.
class SimProcess {
public:
    SimProcess(const std::vector<std::string>& options, const std::string& out) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], 1);
            std::vector<std::string> args = {SIM_PATH, "--out", out};
            args.insert(args.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(SIM_PATH, argv.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
    }
    ~SimProcess() {
        if (m_pid > 0) Stop();
        close(m_out);
    }
    // Waits (bounded) for a line starting with `prefix`; the line or "".
    std::string WaitFor(const std::string& prefix) {
        for (size_t from = 0;;) {
            size_t end = m_log.find('\n', from);
            if (end != std::string::npos) {
                if (m_log.compare(from, prefix.size(), prefix) == 0)
                    return m_log.substr(from, end - from);
                from = end + 1;
            } else if (!ReadMore()) {
                return "";
            }
        }
    }
    void Signal(int s) { kill(m_pid, s); }
    int Stop() {
        kill(m_pid, SIGTERM);
        int status = -1;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        while (ReadMore()) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Log() const { return m_log; }

private:
    bool ReadMore() {
        pollfd p{m_out, POLLIN, 0};
        char buffer[4096];
        ssize_t n = poll(&p, 1, 10000) == 1 ? read(m_out, buffer, sizeof buffer) : -1;
        if (n > 0) m_log.append(buffer, static_cast<size_t>(n));
        return n > 0;
    }
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_log;
};

int Connect(const std::string& listening) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port =
        htons(static_cast<uint16_t>(std::stoi(listening.substr(listening.rfind(':') + 1))));
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    return connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? fd : -1;
}

// Reads up to `count` bytes (all that come until EOF when count is 0),
// waiting at most a few seconds.
std::string ReadBack(int fd, size_t count) {
    std::string got;
    pollfd p{fd, POLLIN, 0};
    char buffer[256];
    while ((count == 0 || got.size() < count) && poll(&p, 1, 5000) == 1) {
        ssize_t n = read(fd, buffer, count ? std::min(sizeof buffer, count - got.size()) : 1);
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

Bytes Q(std::initializer_list<int> bytes) {
    Bytes b;
    Put(b, bytes);
    return b;
}

const Bytes kDleEot[] = {Q({}), Q({0x10, 4, 1}), Q({0x10, 4, 2}), Q({0x10, 4, 3}), Q({0x10, 4, 4})};
const Bytes kTsplStatus = Q({0x1B, '!', '?'});
const Bytes kZplStatus = Q({'~', 'H', 'S'});
// Two rows whose dots are a DLE EOT 1 and, inverted (as TSPL sends them),
// an ESC ! ?: queries inside raster data.
const TestBitmap kQueryDots = {3, 2, {0x10, 0x04, 0x01, 0xE4, 0xDE, 0xC0}};

std::string ZplReply(char paperOut, char headUp) {
    return "\x02"
           "030,"s +
           paperOut +
           ",0,1218,000,0,0,0,000,0,0,0\x03\r\n\x02"
           "001,0," +
           headUp +
           ",0,0,2,6,0,00000000,1,000\x03\r\n\x02"
           "1234,0\x03\r\n";
}

std::vector<SimStep> AllDleEot(const Bytes& data = {}) {
    return {
        {data, kDleEot[1], ""}, {{}, kDleEot[2], ""}, {{}, kDleEot[3], ""}, {{}, kDleEot[4], ""}};
}

std::vector<SimStep> WithReplies(std::vector<SimStep> steps, const std::string& replies) {
    for (size_t i = 0; i < steps.size(); i++) steps[i].reply = replies.substr(i, 1);
    return steps;
}

// A Brother QL status block: paper out sets error 1 bit 1 and the error
// status type.
std::string QlPaperOutReply() {
    std::string r(32, '\0');
    r[0] = '\x80', r[1] = 0x20, r[8] = 0x02, r[18] = 0x02;
    return r;
}

// A cat printer's status answer packet around its status byte.
std::string CatReply(char status, char crc) {
    return "\x51\x78\xA3\x01\x01\x00"s + status + crc + "\xFF";
}

const SimCase kCases[] = {
    {"BrotherQlPaperOut",
     {"--language", "brother-ql", "--paper-out-after", "0"},
     {{{}, Q({0x1B, 'i', 'S'}), QlPaperOutReply()}},
     {"paper out", "status query brother-ql ESC i S -> error 1 0x02, error 2 0x00"},
     0},
    {"CatPrintsAndAnswers",
     {"--language", "cat"},
     {{{}, kCatStatusQuery, CatReply(0, 0)},
      {CatPrint(SampleBitmap(0)), kCatStatusQuery, CatReply(0, 0)}},
     {"page 1 printed 32x83", "status query cat A3 status -> 0x00"},
     1},
    {"CatCoverOpenPaperOut",
     {"--language", "cat", "--paper-out-after", "0", "--cover-open", "60"},
     {{{}, kCatStatusQuery, CatReply(0x03, 0x09)}},
     {"status query cat A3 status -> 0x03"},
     0},
    {"DymoReady",
     {"--language", "dymo"},
     {{{}, Q({0x1B, 'A'}), "\x02"}},
     {"status query dymo ESC A -> 0x02"},
     0},
    {"StarCoverOpenPaperOut",
     {"--language", "star", "--paper-out-after", "0", "--cover-open", "60"},
     {{{}, Q({0x1B, 0x06, 0x01}), std::string("\x23\x06\x28\x00\x00\x08\x00\x00\x00", 9)}},
     {"status query star ESC ACK SOH -> 0x23 0x06 0x28 0x00 0x00 0x08 0x00 0x00 0x00"},
     0},
    // A label of two 8-dot rows uses up the paper; the paper and lid queries.
    {"PhomemoPrintsAndAnswers",
     {"--language", "phomemo", "--paper-out-after", "1"},
     {{Bytes{0x1B, 0x4E, 0x0D, 0x03, 0x1B, 0x4E, 0x04, 0x08, 0x1F, 0x11,
             0x0A, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x02, 0x00, 0xF0,
             0x0F, 0x1F, 0xF0, 0x05, 0x00, 0x1F, 0xF0, 0x03, 0x00},
       Q({0x1F, 0x11, 0x11}), "\x1A\x06\x88"},
      {{}, Q({0x1F, 0x11, 0x12}), "\x1A\x05\x98"}},
     {"page 1 printed 8x2", "status query phomemo 1F 11 11 paper -> 0x1A 0x06 0x88"},
     1},
    {"EscPosReady",
     {"--language", "escpos"},
     WithReplies(AllDleEot(), "\x12\x12\x12\x12"),
     {"status query escpos DLE EOT 4 -> 0x12"},
     0},
    {"EscPosPaperOut",
     {"--language", "escpos", "--paper-out-after", "0"},
     WithReplies(AllDleEot(), "\x1A\x32\x12\x72"),
     {"paper out"},
     0},
    {"EscPosCoverOpen",
     {"--language", "escpos", "--cover-open", "60"},
     WithReplies(AllDleEot(), "\x1A\x16\x12\x12"),
     {"cover open"},
     0},
    {"PeriPagePaperOut",
     {"--language", "peripage", "--paper-out-after", "0"},
     {{PeriPagePage(kQueryDots, false), kDleEot[4], "\x72"}},
     {"paper out", "page 1 lost: paper out", "status query peripage DLE EOT 4 -> 0x72"},
     0},
    {"TsplPaperOut",
     {"--language", "tspl", "--paper-out-after", "0"},
     {{{}, kTsplStatus, "\x04"}},
     {"paper out", "status query tspl ESC ! ? -> 0x04"},
     0},
    {"TsplCoverOpenUntilLoaded",
     {"--language", "tspl", "--cover-open", "60"},
     {{{}, kTsplStatus, "\x01"}, {{}, kTsplStatus, "\x00"s, true}},
     {"cover open", "paper loaded", "cover closed", "status query tspl ESC ! ? -> 0x00"},
     0},
    {"ZplReady",
     {"--language", "zpl"},
     {{ZplPage(kQueryDots), kZplStatus, ZplReply('0', '0')}},
     {"page 1 printed 24x2", "status query zpl ~HS -> paper out 0, head up 0"},
     1},
    {"ZplPaperOutHeadUp",
     {"--language", "zpl", "--paper-out-after", "0", "--cover-open", "60"},
     {{{}, kZplStatus, ZplReply('1', '1')}},
     {},
     0},
    {"EscPosQueryInRasterUnanswered",
     {"--language", "escpos", "--bytes-per-second", "4000"},
     {{EscPosPage(kQueryDots), kDleEot[1], "\x12"}},
     {"page 1 printed 24x81", "status query escpos DLE EOT 1 -> 0x12",
      "connection closed, 1 pages"},
     1},
    {"TsplQueryInBitmapUnansweredOverPty",
     {"--language", "tspl"},
     {{TsplPage(kQueryDots, false), kTsplStatus, "\x00"s}},
     {"page 1 printed 24x2", "status query tspl ESC ! ? -> 0x00"},
     1,
     true},
    {"NoStatusAnswersNothing",
     {"--language", "tspl", "--no-status"},
     {{TsplPage(kQueryDots, true), kTsplStatus, ""}},
     {"page 1 printed 24x2", "status query tspl ESC ! ? not answered"},
     1},
    {"PaperOutAfterOneLosesTheSecondPage",
     {"--language", "tspl", "--paper-out-after", "1"},
     {{TsplPage(kQueryDots, true), {}, ""}, {TsplPage(SampleBitmap(1), true), {}, ""}},
     {"page 1 printed 24x2", "paper out", "page 2 lost: paper out", "connection closed, 2 pages"},
     1},
    {"AnswersAfterTheDelayAsked",
     {"--language", "tspl", "--answer-delay", "0.3"},
     {{{}, kTsplStatus, "\x00"s}},
     {"status query tspl ESC ! ? -> 0x00"},
     0},
    // Another language's queries first, as when the application asks which
    // language the printer speaks: skipped, then the query is answered.
    {"DymoAnswersAfterOtherLanguagesQueries",
     {"--language", "dymo"},
     {{Q({0x10, 4, 1, 0x1B, '!', '?', 0x1B, 'i', 'S'}), Q({0x1B, 'A'}), "\x02"}},
     {"stream error at byte 0: unknown command 10", "status query dymo ESC A -> 0x02"},
     0},
    {"TsplAnswersAfterOtherLanguagesQueriesOverPty",
     {"--language", "tspl"},
     {{kDleEot[1], kTsplStatus, "\x00"s}},
     {"stream error at byte 0: expected a command line ended by CR LF: stream ends inside a "
      "command line",
      "status query tspl ESC ! ? -> 0x00"},
     0,
     true},
    {"LoadPaperPrintsAgain",
     {"--language", "escpos", "--paper-out-after", "0"},
     {{{}, kDleEot[4], "\x72"}, {EscPosPage(SampleBitmap(0)), kDleEot[4], "\x12", true}},
     {"paper out", "paper loaded", "page 1 printed 32x82"},
     1},
};

void RunCase(const SimCase& c) {
    const std::string out = TempDir::Shared().NewPath("sim");
    std::vector<std::string> options = c.options;
    const std::string link = out + ".tty";
    options.insert(options.end(), {c.pty ? "--pty" : "--port", c.pty ? link : "0"});
    SimProcess sim(options, out);
    const std::string listening = sim.WaitFor("listening on ");
    ASSERT_FALSE(listening.empty()) << sim.Log();
    const int fd = c.pty ? open(link.c_str(), O_RDWR | O_NOCTTY) : Connect(listening);
    ASSERT_GE(fd, 0) << listening;
    Bytes stream;
    for (const SimStep& step : c.steps) {
        if (step.loadPaper) {
            sim.Signal(SIGUSR1);
            ASSERT_FALSE(sim.WaitFor("paper loaded").empty());
        }
        Bytes send = step.data;
        Put(send, step.query);
        Put(stream, step.data);
        ASSERT_EQ(write(fd, send.data(), send.size()), static_cast<ssize_t>(send.size()));
        if (!step.reply.empty()) {
            EXPECT_EQ(ReadBack(fd, step.reply.size()), step.reply);
        }
    }
    if (!c.pty) {
        shutdown(fd, SHUT_WR);
        EXPECT_EQ(ReadBack(fd, 0), "") << "answers nobody asked for";
        EXPECT_FALSE(sim.WaitFor("connection closed").empty());
    }
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    size_t from = 0;
    for (const std::string& event : c.events) {
        size_t at = sim.Log().find(event + "\n", from);
        EXPECT_NE(at, std::string::npos) << event << " in order in\n" << sim.Log();
        if (at != std::string::npos) from = at + event.size();
    }
    int pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out))
        pngs += entry.path().extension() == ".png";
    EXPECT_EQ(pngs, c.pngs);
    EXPECT_EQ(ReadFileBytes(out + "/stream.bin"), stream);
}

}  // namespace

TEST(Simulator, AnswersPrintsAndLogs) {
    for (const SimCase& c : kCases) {
        SCOPED_TRACE(c.name);
        RunCase(c);
    }
}

// What the application sends outside jobs (identify, calibrate), for every
// language of the table that has it: thermal-preview names the language and
// decodes it without a fault, and the simulator takes it without a stream
// error.
TEST(Simulator, TakesEveryCommandTheApplicationSends) {
    struct Command {
        const Language* language;
        std::string what;
        Bytes bytes;
    };
    std::vector<Command> commands;
    for (const Language& l : Languages()) {
        if (l.identify) commands.push_back({&l, "identify", l.identify(IdentifySettings{})});
        for (const Calibration& c : l.calibrations)
            commands.push_back(
                {&l, std::string("calibrate ") + c.sensing, Bytes(c.bytes.begin(), c.bytes.end())});
    }
    ASSERT_EQ(commands.size(), 13u);  // 9 identify, 4 calibrations
    for (const Command& c : commands) {
        SCOPED_TRACE(std::string(c.language->name) + " " + c.what);
        const tagDecodeResult decoded = DecodeStream(c.bytes.data(), c.bytes.size(), {});
        EXPECT_FALSE(decoded.error.failed) << decoded.error.message;
        EXPECT_EQ(static_cast<int>(decoded.language), c.language->modelNumber);
        const std::string out = TempDir::Shared().NewPath("sim");
        SimProcess sim({"--language", c.language->name, "--port", "0"}, out);
        const int fd = Connect(sim.WaitFor("listening on "));
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, c.bytes.data(), c.bytes.size()), static_cast<ssize_t>(c.bytes.size()));
        shutdown(fd, SHUT_WR);
        EXPECT_FALSE(sim.WaitFor("connection closed").empty());
        close(fd);
        EXPECT_EQ(sim.Stop(), 0);
        EXPECT_EQ(sim.Log().find("stream error"), std::string::npos) << sim.Log();
    }
}

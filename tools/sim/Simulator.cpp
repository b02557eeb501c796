#include "tools/sim/Simulator.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "printers/Languages.h"
#include "tools/sim/EventLog.h"
#include "tools/sim/StatusAnswers.h"

namespace {

constexpr size_t kMaxConnections = 8;
constexpr size_t kChunk = 64 * 1024;
// A stream that pauses this long has ended its receipt (or is broken).
constexpr auto kIdle = std::chrono::seconds(2);
constexpr auto kLongestWait = std::chrono::seconds(1);

// The language's short name, as --language takes it.
const char* OptionName(PreviewLanguage language) {
    const Language* row = LanguageOfModel(static_cast<int>(language));
    return row ? row->name : "unknown";
}

void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0 && errno != EINTR) return;  // the peer is gone or not reading
        if (n > 0) done += static_cast<size_t>(n);
    }
}

}  // namespace

CSimulator::CSimulator(const tagSimOptions& options)
    : m_options(options),
      m_state(options, SimClock::now()),
      m_output(options.outDir, m_state),
      m_queries(options.language),
      m_buffer(kChunk) {}

int CSimulator::Run(volatile const sig_atomic_t& stop, volatile sig_atomic_t& loadPaper) {
    std::string error = m_output.Open();
    if (error.empty()) error = m_link.Open(m_options);
    if (!error.empty()) {
        std::fprintf(stderr, "thermal-printer-sim: %s\n", error.c_str());
        return 1;
    }
    LogEvent("listening on " + m_link.Where());
    m_state.Start();
    if (m_link.Terminal() >= 0) AddConnection(m_link.Terminal());
    while (!stop) {
        if (loadPaper) {
            loadPaper = 0;
            m_state.LoadPaper();
        }
        PollOnce();
    }
    for (size_t i = m_connections.size(); i-- > 0;) Close(i);
    return 0;
}

void CSimulator::AddConnection(int fd) {
    tagConnection c;
    c.fd = fd;
    c.stream = std::make_unique<CJobStream>(
        m_options.language, m_queries,
        tagJobHooks{[this](const uint8_t* d, size_t n) { m_output.Keep(d, n); },
                    [this](const tagDecodedPage& page) { m_output.Page(page); },
                    [this](const tagQuery& query) { return Answer(query); }});
    c.lastData = c.nextRead = SimClock::now();
    m_connections.push_back(std::move(c));
}

std::string CSimulator::Answer(const tagQuery& query) {
    const std::string asked =
        std::string("status query ") + OptionName(m_options.language) + " " + query.name;
    if (m_options.noStatus) {
        LogEvent(asked + " not answered");
        return std::string();
    }
    std::string shown;
    std::string reply = StatusReply(m_options.language, query, m_state.Status(), shown);
    LogEvent(asked + " -> " + shown);
    return reply;
}

// Waits for bytes, connections, timers or a signal (which ends the wait:
// main() blocks the signals except inside ppoll).
void CSimulator::PollOnce() {
    const SimClock::time_point now = SimClock::now();
    std::vector<pollfd> fds;
    std::vector<size_t> owners;
    for (size_t i = 0; i < m_connections.size() && !Stalled(); i++) {
        if (m_connections[i].nextRead > now) continue;
        fds.push_back({m_connections[i].fd, POLLIN, 0});
        owners.push_back(i);
    }
    const bool listening = m_link.Listener() >= 0 && m_connections.size() < kMaxConnections;
    if (listening) fds.push_back({m_link.Listener(), POLLIN, 0});
    const int ms = Timeout(now);
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    sigset_t none;
    sigemptyset(&none);
    const int ready = ppoll(fds.data(), fds.size(), &wait, &none);
    const SimClock::time_point after = SimClock::now();
    m_state.Tick(after);
    if (ready > 0) {
        for (size_t k = owners.size(); k-- > 0;)
            if (fds[k].revents && !ReadFrom(m_connections[owners[k]], after)) Close(owners[k]);
        if (listening && fds.back().revents)
            for (int fd; m_connections.size() < kMaxConnections && (fd = m_link.Accept()) >= 0;)
                AddConnection(fd);
    }
    SendLate(after);
    CheckIdle(after);
}

int CSimulator::Timeout(SimClock::time_point now) const {
    SimClock::time_point until = std::min(now + kLongestWait, m_state.NextChange());
    for (const tagConnection& c : m_connections) {
        if (c.nextRead > now) until = std::min(until, c.nextRead);
        if (!c.late.empty()) until = std::min(until, c.late.front().first);
        if (!c.stream->Quiet()) until = std::min(until, c.lastData + kIdle);
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>(std::clamp<int64_t>(ms, 0, 1000));
}

// Reads one chunk; false when the connection is to be closed.
bool CSimulator::ReadFrom(tagConnection& c, SimClock::time_point now) {
    size_t want = kChunk;
    if (m_options.bytesPerSecond > 0)
        want = static_cast<size_t>(std::clamp<int64_t>(m_options.bytesPerSecond / 20, 1, kChunk));
    if (m_options.stallAfter >= 0)
        want = std::min(want, static_cast<size_t>(m_options.stallAfter - m_received));
    const ssize_t n = read(c.fd, m_buffer.data(), want);
    if (n < 0) return errno == EAGAIN || errno == EINTR || c.fd == m_link.Terminal();
    if (n == 0) return c.fd == m_link.Terminal();
    c.lastData = now;
    m_received += n;
    if (Stalled()) LogEvent("stopped reading after " + std::to_string(m_received) + " bytes");
    if (m_options.bytesPerSecond > 0)
        c.nextRead = std::max(now, c.nextRead) +
                     std::chrono::duration_cast<SimClock::duration>(std::chrono::duration<double>(
                         double(n) / double(m_options.bytesPerSecond)));
    std::string replies;
    if (c.stream->Receive(m_buffer.data(), static_cast<size_t>(n), replies)) {
        Reply(c, std::move(replies), now);
        return true;
    }
    LogEvent("more than " + std::to_string(CJobStream::kMaxHeld >> 20) +
             " MiB without a page end: dropped");
    if (c.fd != m_link.Terminal()) return false;
    c.stream->Close();
    return true;
}

// Answers go out at once, or --answer-delay after their query, as a slow
// printer or link answers.
void CSimulator::Reply(tagConnection& c, std::string replies, SimClock::time_point now) {
    if (replies.empty()) return;
    if (m_options.answerDelay <= 0) {
        WriteAll(c.fd, replies);
        return;
    }
    c.late.emplace_back(now + std::chrono::duration_cast<SimClock::duration>(
                                  std::chrono::duration<double>(m_options.answerDelay)),
                        std::move(replies));
}

void CSimulator::SendLate(SimClock::time_point now) {
    for (tagConnection& c : m_connections) {
        while (!c.late.empty() && c.late.front().first <= now) {
            WriteAll(c.fd, c.late.front().second);
            c.late.erase(c.late.begin());
        }
    }
}

bool CSimulator::Stalled() const {
    return m_options.stallAfter >= 0 && m_received >= m_options.stallAfter;
}

void CSimulator::Close(size_t index) {
    tagConnection& c = m_connections[index];
    c.stream->Close();
    if (c.fd != m_link.Terminal()) {
        close(c.fd);
        LogEvent("connection closed, " + std::to_string(c.stream->Pages()) + " pages");
    }
    m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(index));
}

void CSimulator::CheckIdle(SimClock::time_point now) {
    for (tagConnection& c : m_connections) {
        if (c.stream->Quiet() || now - c.lastData < kIdle) continue;
        c.stream->Idle();
    }
}

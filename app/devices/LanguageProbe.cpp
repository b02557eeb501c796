#include "app/devices/LanguageProbe.h"

#include <pappl/pappl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "printers/LanguageProbes.h"
#include "printers/StatusExchange.h"

namespace {
using Clock = std::chrono::steady_clock;
using Reply = std::vector<uint8_t>;

// A printer never speaks first: whatever does, on a new connection within
// this time, is some other service.
constexpr int kTalksFirstMs = 30;
// A device read that comes back at once with nothing is retried after this
// pause, so that waiting for an answer never spins.
constexpr auto kRetryPause = std::chrono::milliseconds(50);
// Most bytes read away from a device before a query.
constexpr size_t kMaxStale = 4096;

// One way to the printer: sends a language's query and gathers the answer.
class CProbeLink {
public:
    virtual ~CProbeLink() = default;
    // False, with `problem` set, when the link failed; no answer is no
    // failure.
    virtual bool Ask(const Language& language, Reply& reply, std::string& problem) = 0;
};

// Reads with `read` (which waits briefly for data) until the reply is a
// whole answer or `waitMs` have passed.
template <class Read>
void Gather(const Language& language, int waitMs, Reply& reply, Read read) {
    uint8_t buffer[256];
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (!ProbeReplyComplete(language, reply) && Clock::now() < deadline) {
        const auto start = Clock::now();
        const ssize_t n = read(buffer, sizeof buffer);
        if (n > 0)
            reply.insert(reply.end(), buffer, buffer + n);
        else if (Clock::now() - start < kRetryPause)
            std::this_thread::sleep_for(kRetryPause);
    }
}

bool Readable(int fd, int waitMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, waitMs) == 1;
}

class CSocketProbe : public CProbeLink {
public:
    CSocketProbe(http_addrlist_t* addresses, std::string where)
        : m_addresses(addresses), m_where(std::move(where)) {}
    ~CSocketProbe() override { httpAddrFreeList(m_addresses); }

    bool Ask(const Language& language, Reply& reply, std::string& problem) override {
        int fd = -1;
        if (!httpAddrConnect2(m_addresses, &fd, kProbeConnectMs, nullptr) || fd < 0) {
            problem = "nothing answers at " + m_where;
            return false;
        }
        const bool sent = !Readable(fd, kTalksFirstMs) && SendAll(fd, language.status->query);
        if (sent)
            Gather(language, kProbeNetworkMs, reply, [fd](uint8_t* buffer, size_t size) {
                return Readable(fd, 100) ? recv(fd, buffer, size, 0) : ssize_t{0};
            });
        close(fd);
        if (!sent) problem = "what answers at " + m_where + " is no printer: it speaks first";
        return sent;
    }

private:
    static bool SendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    http_addrlist_t* m_addresses;
    std::string m_where;
};

class CDeviceProbe : public CProbeLink {
public:
    explicit CDeviceProbe(pappl_device_t* device) : m_device(device) {}
    ~CDeviceProbe() override { papplDeviceClose(m_device); }

    bool Ask(const Language& language, Reply& reply, std::string& problem) override {
        // Bytes of an answer that came too late belong to the query before.
        uint8_t stale[256];
        size_t drained = 0;
        for (ssize_t n;
             drained < kMaxStale && (n = papplDeviceRead(m_device, stale, sizeof stale)) > 0;)
            drained += static_cast<size_t>(n);
        const std::string_view query = language.status->query;
        if (papplDeviceWrite(m_device, query.data(), query.size()) < 0) {
            problem = "the device failed as it was written to";
            return false;
        }
        papplDeviceFlush(m_device);
        Gather(language, kProbeSerialMs, reply, [this](uint8_t* buffer, size_t size) {
            return papplDeviceRead(m_device, buffer, size);
        });
        return true;
    }

private:
    pappl_device_t* m_device;
};

std::string Titles(const std::vector<std::string>& titles) {
    std::string text;
    for (size_t i = 0; i < titles.size(); i++)
        text += (i == 0 ? "" : i + 1 == titles.size() ? " and " : ", ") + titles[i];
    return text;
}

ProbeResult Probe(CProbeLink& link) {
    const auto end = Clock::now() + std::chrono::milliseconds(kProbeTotalMs);
    std::vector<std::string> asked;
    for (const Language* language : ProbedLanguages()) {
        if (Clock::now() >= end) break;
        if (!language->status) continue;
        Reply reply;
        std::string problem;
        if (!link.Ask(*language, reply, problem)) return {nullptr, problem};
        if (ProbeAnswered(*language, reply)) return {language, ""};
        asked.push_back(language->title);
    }
    return {nullptr, "it answered none of the status queries of " + Titles(asked)};
}

void KeepDeviceError(const char* message, void* data) {
    *static_cast<std::string*>(data) = message ? message : "";
}
}  // namespace

ProbeResult ProbeNetworkPrinter(const std::string& host, int port) {
    const std::string where = host + ":" + std::to_string(port);
    http_addrlist_t* addresses =
        httpAddrGetList(host.c_str(), AF_UNSPEC, std::to_string(port).c_str());
    if (!addresses) return {nullptr, "the address " + where + " is not known"};
    CSocketProbe link(addresses, where);
    return Probe(link);
}

ProbeResult ProbeDevicePrinter(const std::string& deviceUri) {
    std::string error;
    pappl_device_t* device = papplDeviceOpen(deviceUri.c_str(), "probe", KeepDeviceError, &error);
    if (!device) return {nullptr, "it could not be opened (" + error + ")"};
    CDeviceProbe link(device);
    return Probe(link);
}

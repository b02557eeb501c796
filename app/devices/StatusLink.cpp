#include "app/devices/StatusLink.h"

#include <chrono>
#include <cstdint>
#include <string_view>
#include <thread>
#include <vector>

#include "app/devices/QuietPrinters.h"
#include "app/drivers/DriverCatalog.h"
#include "printers/StatusExchange.h"

namespace {
using Clock = std::chrono::steady_clock;
// A device read that comes back at once with nothing (an error) is retried
// after this pause, so the wait for a reply never spins.
constexpr auto kRetryPause = std::chrono::milliseconds(50);
}  // namespace

CStatusLink::CStatusLink(pappl_printer_t* printer, pappl_job_t* job, pappl_device_t* device,
                         CDeviceOutput& output)
    : m_printer(printer),
      m_job(job),
      m_device(device),
      m_output(output),
      m_exchange(ExchangeOf(printer)),
      m_silent(IsQuiet(papplPrinterGetID(printer))),
      m_replyMs(ReplyMs(papplPrinterGetDeviceURI(printer))) {
    if (m_exchange && m_exchange->answers) m_output.Watch(m_exchange->query);
}

// Serial and Bluetooth links (rfcomm or LE) answer later than TCP or USB.
int CStatusLink::ReplyMs(const char* deviceUri) {
    const std::string_view uri(deviceUri ? deviceUri : "");
    return uri.starts_with("serial:") || uri.starts_with("ble:") ? kSerialReplyMs : kReplyMs;
}

// Each read waits briefly for data (PAPPL's network and USB devices and our
// serial device), so this ends soon after the link falls silent.
bool CStatusLink::DrainStale() {
    const int id = papplPrinterGetID(m_printer);
    if (!OwesAnswer(id)) return false;
    uint8_t buffer[256];
    size_t drained = 0;
    ssize_t n = 0;
    while (drained < kMaxStale && (n = papplDeviceRead(m_device, buffer, sizeof buffer)) > 0)
        drained += static_cast<size_t>(n);
    if (drained > 0)
        papplLogPrinter(m_printer, PAPPL_LOGLEVEL_DEBUG,
                        "Read away %zu bytes of a late status answer.", drained);
    SetOwesAnswer(id, false);
    return drained > 0;
}

bool CStatusLink::ReadsBack(const char* deviceUri) {
    const std::string_view uri(deviceUri ? deviceUri : "");
    for (std::string_view scheme : {"socket:", "usb:", "serial:", "dnssd:", "snmp:", "ble:"})
        if (uri.starts_with(scheme)) return true;
    return false;
}

const StatusExchange* CStatusLink::ExchangeOf(pappl_printer_t* printer) {
    if (!ReadsBack(papplPrinterGetDeviceURI(printer))) return nullptr;
    const char* name = papplPrinterGetDriverName(printer);
    const DriverInfo* driver = name ? FindDriver(name) : nullptr;
    return driver ? driver->language->status : nullptr;
}

void CStatusLink::GiveUp(const char* why) {
    m_silent = true;
    SetQuiet(papplPrinterGetID(m_printer), true);
    if (m_job)
        papplLogJob(m_job, PAPPL_LOGLEVEL_INFO, "%s; the printer is not asked again for %d s.", why,
                    kQuietSeconds);
    else
        papplLogPrinter(m_printer, PAPPL_LOGLEVEL_DEBUG, "%s.", why);
}

PrinterConditions CStatusLink::Ask() {
    if (!CanAsk()) return {};
    // Answers owed for the queries the pages carried come before ours,
    // unless a late answer was just read away with them.
    const bool drained = DrainStale();
    const size_t watched = m_output.TakeWatched();
    const size_t owed = drained ? 0 : watched;
    if (!Send(m_exchange->query)) return {};
    m_output.TakeWatched();
    auto complete = [&](std::span<const uint8_t> r) {
        return m_exchange->answers ? m_exchange->answers(r) > owed : m_exchange->complete(r);
    };
    std::vector<uint8_t> reply;
    Gather(reply, m_replyMs, complete);
    PrinterConditions conditions = complete(reply) ? m_exchange->parse(reply) : PrinterConditions{};
    if (!complete(reply)) SetOwesAnswer(papplPrinterGetID(m_printer), true);
    if (conditions.answered) SetQuiet(papplPrinterGetID(m_printer), false);
    if (!conditions.answered)
        GiveUp(reply.empty() ? "No answer to the status query"
                             : "The printer's answer to the status query was not understood");
    return conditions;
}

const PageProgressExchange* CStatusLink::Progress() const {
    return CanAsk() ? m_exchange->progress : nullptr;
}

const ModelExchange* CStatusLink::ModelQuery() const {
    return CanAsk() ? m_exchange->model : nullptr;
}

bool CStatusLink::Send(std::string_view bytes) {
    if (m_output.Write(bytes.data(), bytes.size()) && m_output.Flush()) return true;
    m_silent = true;
    return false;
}

void CStatusLink::Gather(std::vector<uint8_t>& reply, int ms,
                         const std::function<bool(std::span<const uint8_t>)>& enough) {
    uint8_t buffer[256];
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!enough(reply) && Clock::now() < deadline) {
        const auto start = Clock::now();
        const ssize_t n = papplDeviceRead(m_device, buffer, sizeof buffer);
        if (n > 0)
            reply.insert(reply.end(), buffer, buffer + n);
        else if (Clock::now() - start < kRetryPause)
            std::this_thread::sleep_for(kRetryPause);
    }
}

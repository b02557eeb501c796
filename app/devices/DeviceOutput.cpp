#include "app/devices/DeviceOutput.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/devices/BleDevice.h"

namespace {
constexpr const char* kWriteError = "Unable to write print data to the device.";

bool IsBle(pappl_printer_t* printer) {
    const char* uri = papplPrinterGetDeviceURI(printer);
    return uri && std::string_view(uri).starts_with("ble:");
}
}  // namespace

CDeviceOutput::CDeviceOutput(pappl_job_t* job, pappl_device_t* device)
    : m_job(job), m_device(device), m_expected(DeviceBytes()) {
    // A Bluetooth LE printer whose device opened for this job is back; its
    // link's waits end when the job does.
    if (job && device && IsBle(papplJobGetPrinter(job))) {
        papplPrinterSetReasons(papplJobGetPrinter(job), PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
        WatchBleJob(device, job);
    }
}

size_t CDeviceOutput::DeviceBytes() const {
    pappl_devmetrics_t metrics{};
    if (m_device) papplDeviceGetMetrics(m_device, &metrics);
    return metrics.write_bytes;
}

void CDeviceOutput::Fail() {
    if (m_failed) return;
    m_failed = true;
    // An idle printer's status query has no job; a cancelled job's write is
    // given up on purpose and says so itself.
    if (!m_job || papplJobIsCanceled(m_job)) return;
    // A link that knows why it failed says so (a Bluetooth LE printer out
    // of range), and a dropped link shows the printer offline.
    const std::string problem = BleDeviceProblem(m_device);
    const char* message = problem.empty() ? kWriteError : problem.c_str();
    if (BleDeviceLost(m_device))
        papplPrinterSetReasons(papplJobGetPrinter(m_job), PAPPL_PREASON_OFFLINE,
                               PAPPL_PREASON_NONE);
    papplLogJob(m_job, PAPPL_LOGLEVEL_ERROR, "%s", message);
    papplJobSetMessage(m_job, "%s", message);
}

// Looks through the tail of the last write and this one; an occurrence
// can't lie in the tail alone, so none is counted twice.
void CDeviceOutput::Count(const void* data, size_t length) {
    if (m_watched.empty()) return;
    std::string window = std::move(m_tail);
    window.append(static_cast<const char*>(data), length);
    for (size_t at = window.find(m_watched); at != std::string::npos;
         at = window.find(m_watched, at + m_watched.size()))
        m_seen++;
    const size_t keep = std::min(window.size(), m_watched.size() - 1);
    m_tail.assign(window, window.size() - keep, keep);
}

bool CDeviceOutput::Write(const void* data, size_t length) {
    if (m_failed || !m_device) return false;
    Count(data, length);
    if (papplDeviceWrite(m_device, data, length) < 0) {
        Fail();
        return false;
    }
    m_expected += length;
    return true;
}

bool CDeviceOutput::Flush() {
    if (!m_device) return !m_failed;
    papplDeviceFlush(m_device);
    if (DeviceBytes() < m_expected) Fail();
    return !m_failed;
}

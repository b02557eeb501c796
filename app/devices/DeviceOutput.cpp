#include "app/devices/DeviceOutput.h"

#include <algorithm>

namespace {
constexpr const char* kWriteError = "Unable to write print data to the device.";
}  // namespace

CDeviceOutput::CDeviceOutput(pappl_job_t* job, pappl_device_t* device)
    : m_job(job), m_device(device), m_expected(DeviceBytes()) {}

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
    papplLogJob(m_job, PAPPL_LOGLEVEL_ERROR, "%s", kWriteError);
    papplJobSetMessage(m_job, "%s", kWriteError);
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

#include "app/devices/DeviceOutput.h"

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

bool CDeviceOutput::Write(const void* data, size_t length) {
    if (m_failed || !m_device) return false;
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

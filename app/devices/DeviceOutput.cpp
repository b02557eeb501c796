#include "app/devices/DeviceOutput.h"

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
    // A Bluetooth LE printer whose device opened for this job is back.
    if (job && device && IsBle(papplJobGetPrinter(job)))
        papplPrinterSetReasons(papplJobGetPrinter(job), PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
}

size_t CDeviceOutput::DeviceBytes() const {
    pappl_devmetrics_t metrics{};
    if (m_device) papplDeviceGetMetrics(m_device, &metrics);
    return metrics.write_bytes;
}

void CDeviceOutput::Fail() {
    if (m_failed) return;
    m_failed = true;
    if (!m_job) return;  // an idle printer's status query
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

#pragma once

#include <pappl/pappl.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// A job's bytes to its device, with every failure seen. PAPPL buffers small
// writes and its flush reports nothing, so a flush is checked against the
// device's count of bytes written.
class CDeviceOutput {
public:
    CDeviceOutput() = default;
    CDeviceOutput(pappl_job_t* job, pappl_device_t* device);

    bool Write(const void* data, size_t length);
    // Sends what PAPPL still holds; false once any byte failed to go out.
    bool Flush();
    bool Failed() const { return m_failed; }
    // Counts the times these bytes go out whole, also across writes: status
    // queries that pages carry, which the printer answers unasked-for.
    void Watch(std::string_view bytes) { m_watched = bytes; }
    // The count since the last call.
    size_t TakeWatched() { return std::exchange(m_seen, 0); }

private:
    size_t DeviceBytes() const;
    void Fail();
    void Count(const void* data, size_t length);

    pappl_job_t* m_job = nullptr;
    pappl_device_t* m_device = nullptr;
    size_t m_expected = 0;  // the device's byte count once all ours are out
    bool m_failed = false;
    std::string m_watched;
    std::string m_tail;  // the last bytes written, shorter than m_watched
    size_t m_seen = 0;
};

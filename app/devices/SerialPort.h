#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "app/devices/SerialUri.h"

// An open serial port in raw mode: every byte goes out as it is, nothing is
// echoed, at the URI's speed and flow control.
class SerialPort {
public:
    // How long a write may wait for the port to take more bytes, and how
    // long closing waits for the last bytes to go out.
    static constexpr int kStallMs = 30000;
    static constexpr int kDrainMs = 10000;

    // Null, with a message, when the port can't be opened or set up.
    static std::unique_ptr<SerialPort> Open(const SerialSettings& settings, std::string& error);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Writes all the bytes, waiting while the port is full. False, with a
    // message, when the port has gone or has taken nothing for kStallMs;
    // every later write then fails too.
    bool WriteAll(const void* buffer, size_t bytes, std::string& error);
    // What the printer has sent, waiting up to timeoutMs; -1 on error.
    ssize_t Read(void* buffer, size_t bytes, int timeoutMs);
    bool Failed() const { return m_failed; }

private:
    SerialPort(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    bool WaitWritable(std::string& error);
    void Drain();

    int m_fd = -1;
    std::string m_path;
    bool m_failed = false;
};

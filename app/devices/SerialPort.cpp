#include "app/devices/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
speed_t SpeedConstant(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 921600:
            return B921600;
        default:
            return B115200;
    }
}

bool Configure(int fd, const SerialSettings& s) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | CRTSCTS);
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.flow == FlowControl::RtsCts) t.c_cflag |= CRTSCTS;
    if (s.flow == FlowControl::XonXoff) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, SpeedConstant(s.baud)) != 0 || cfsetospeed(&t, SpeedConstant(s.baud)) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
    tcflush(fd, TCIFLUSH);
    return true;
}

// Errors that mean the port is no longer there: an unplugged adapter, a
// Bluetooth link that dropped, a hung-up terminal.
bool Vanished(int err) {
    return err == EIO || err == ENXIO || err == EBADF || err == ENODEV || err == EPIPE;
}
}  // namespace

std::unique_ptr<SerialPort> SerialPort::Open(const SerialSettings& settings, std::string& error) {
    const int fd = open(settings.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "Unable to open serial port " + settings.path + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !isatty(fd)) {
        error = settings.path + " is not a serial port.";
    } else if (!Configure(fd, settings)) {
        error = "Unable to set up serial port " + settings.path + ": " + std::strerror(errno);
    } else {
        ioctl(fd, TIOCEXCL);  // a second printer on the same port waits its turn
        return std::unique_ptr<SerialPort>(new SerialPort(fd, settings.path));
    }
    close(fd);
    return nullptr;
}

SerialPort::~SerialPort() {
    if (!m_failed) Drain();
    ioctl(m_fd, TIOCNXCL);
    close(m_fd);
}

// Gives the bytes still queued in the port a bounded time to go out.
void SerialPort::Drain() {
    for (int waited = 0; waited < kDrainMs; waited += 20) {
        int queued = 0;
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool SerialPort::WaitWritable(std::string& error) {
    pollfd p{m_fd, POLLOUT, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStallMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int n = poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) {
            error = "Serial port " + m_path + " took no data for " +
                    std::to_string(kStallMs / 1000) + " seconds; is the printer on and ready?";
            return false;
        }
        if (n > 0 && (p.revents & POLLOUT)) return true;
        error = "Serial port " + m_path + " has gone away (hung up or unplugged).";
        return false;
    }
}

bool SerialPort::WriteAll(const void* buffer, size_t bytes, std::string& error) {
    const auto* p = static_cast<const unsigned char*>(buffer);
    while (!m_failed && bytes > 0) {
        const ssize_t n = write(m_fd, p, bytes);
        if (n > 0) {
            p += n;
            bytes -= static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            m_failed = !WaitWritable(error);
        } else {
            error = Vanished(errno) ? "Serial port " + m_path + " has gone away: "
                                    : "Unable to write to serial port " + m_path + ": ";
            error += std::strerror(errno);
            m_failed = true;
        }
    }
    return !m_failed;
}

ssize_t SerialPort::Read(void* buffer, size_t bytes, int timeoutMs) {
    pollfd p{m_fd, POLLIN, 0};
    int n = 0;
    while ((n = poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    if (n <= 0) return n;
    if (!(p.revents & POLLIN)) return -1;
    const ssize_t got = read(m_fd, buffer, bytes);
    return got < 0 && errno == EAGAIN ? 0 : got;
}

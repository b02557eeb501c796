#include "app/documents/PdfWire.h"

#include <unistd.h>

#include <cerrno>

namespace pdfwire {
bool ReadAll(int fd, void* data, size_t bytes) {
    auto* at = static_cast<char*>(data);
    while (bytes > 0) {
        const ssize_t n = read(fd, at, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        bytes -= size_t(n);
    }
    return true;
}

bool WriteAll(int fd, const void* data, size_t bytes) {
    const auto* at = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = write(fd, at, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        bytes -= size_t(n);
    }
    return true;
}
}  // namespace pdfwire

#include "filter/OutputWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "filter/FilterMessages.h"

namespace {
int g_outputFd = 1;
bool g_failed = false;
}  // namespace

bool WriteToPrinter(const void* data, int length) {
    if (g_failed) return false;
    const char* p = static_cast<const char*>(data);
    size_t left = length > 0 ? static_cast<size_t>(length) : 0;
    while (left > 0) {
        ssize_t n = write(g_outputFd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            g_failed = true;
            PrintFilterMessage("ERROR", "Unable to write print data: %s", std::strerror(err));
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool PrinterOutputFailed() {
    return g_failed;
}
void ResetPrinterOutput() {
    g_failed = false;
}
void SetPrinterOutputFd(int fd) {
    g_outputFd = fd;
}

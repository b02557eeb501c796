// Preloaded into the filter by the tests: the system log lines that the
// filter writes go, one per line, to the file named by THERMAL_SYSLOG_FILE
// instead of the system log, so that tests can read what the option binding
// and the job loop logged.
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void Append(const char* format, va_list args) {
    const char* path = std::getenv("THERMAL_SYSLOG_FILE");
    if (!path) return;
    char text[8192];
    int n = std::vsnprintf(text, sizeof text - 1, format, args);
    if (n < 0) return;
    size_t len = std::strlen(text);
    if (len == 0 || text[len - 1] != '\n') text[len++] = '\n';
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return;
    ssize_t written = write(fd, text, len);
    (void)written;
    close(fd);
}
}  // namespace

extern "C" {
void vsyslog(int, const char* format, va_list args) {
    Append(format, args);
}

void syslog(int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append(format, args);
    va_end(args);
}

void __vsyslog_chk(int, int, const char* format, va_list args) {
    Append(format, args);
}

void __syslog_chk(int, int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append(format, args);
    va_end(args);
}
}

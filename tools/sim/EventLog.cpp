#include "tools/sim/EventLog.h"

#include <cstdio>

void LogEvent(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

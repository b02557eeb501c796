#include "app/ImageJob.h"

#include <cstdarg>
#include <cstdio>

namespace {
// As long as a job-state-message may be (FailJob's buffer).
constexpr size_t kMessageBytes = 512;
}  // namespace

void LogImage(ImageJob& job, ImageLog level, const char* format, ...) {
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    job.Log(level, message);
}

bool FailImage(ImageJob& job, ImageFault fault, const char* format, ...) {
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    job.Fail(fault, message);
    return false;
}

#include "app/documents/ImageJob.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
// As long as a job-state-message may be (FailJob's buffer).
constexpr size_t kMessageBytes = 512;

std::string Format(const char* format, va_list args) {
    char message[kMessageBytes];
    std::vsnprintf(message, sizeof message, format, args);
    return message;
}
}  // namespace

void LogImage(ImageJob& job, ImageLog level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string message = Format(format, args);
    va_end(args);
    job.Log(level, message.c_str());
}

bool FailImage(ImageJob& job, ImageFault fault, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string message = Format(format, args);
    va_end(args);
    job.Fail(fault, message.c_str());
    return false;
}

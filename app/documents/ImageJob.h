#pragma once

#include <cstdint>

// Why a decoder ended its job: a fault of the system (memory), a file that
// is not a readable image, or an image that the printer cannot print.
enum class ImageFault { System, Format, Unprintable };

enum class ImageLog { Info, Warning };

// The most an image may have: pixels per side and in all, and decoded bytes.
struct ImageLimits {
    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t pixels = 0;
    uint64_t bytes = 0;
};

// What the PNG and JPEG decoders need from the job they decode for, so that
// they run without PAPPL (see PapplImageJob for the application's).
class ImageJob {
public:
    virtual ~ImageJob() = default;
    virtual void Log(ImageLog level, const char* message) = 0;
    // Ends the job with the message; the decoder then stops.
    virtual void Fail(ImageFault fault, const char* message) = 0;
    virtual bool IsCanceled() = 0;
    virtual ImageLimits Limits() = 0;
    // Whether the job prints an image with or without colour in gray.
    virtual bool PrintsGray(bool color) = 0;
};

// The same with printf formatting; FailImage returns false, for decoders to
// return.
void LogImage(ImageJob& job, ImageLog level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool FailImage(ImageJob& job, ImageFault fault, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

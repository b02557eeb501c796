#include "app/documents/DecodedImage.h"

namespace {
using Count = unsigned long long;  // for printf
}  // namespace

bool AdmitImage(ImageJob& job, const char* kind, uint64_t width, uint64_t height, int depth) {
    const ImageLimits limits = job.Limits();
    LogImage(job, ImageLog::Info, "%s image dimensions are %llux%llux%d", kind, Count(width),
             Count(height), depth);
    if (width == 0 || height == 0)
        return FailImage(job, ImageFault::Format, "The %s image has no pixels.", kind);
    // The sides first: they bound the products.
    if (width > limits.width || height > limits.height || width * height > limits.pixels ||
        width * height * uint64_t(depth) > limits.bytes)
        return FailImage(job, ImageFault::Unprintable,
                         "The %s image of %llux%llu pixels is too large for this printer (at "
                         "most %llu pixels, %llux%llu).",
                         kind, Count(width), Count(height), Count(limits.pixels),
                         Count(limits.width), Count(limits.height));
    return true;
}

#include "app/DecodedImage.h"

#include "app/DriverCatalog.h"
#include "app/JobFailure.h"
#include "app/PageLimits.h"

namespace {
using Count = unsigned long long;  // for printf
}  // namespace

bool AdmitImage(pappl_job_t* job, const char* kind, uint64_t width, uint64_t height, int depth) {
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(printer));
    int maxWidth = 0, maxHeight = 0;
    const uint64_t maxBytes =
        papplSystemGetMaxImageSize(papplPrinterGetSystem(printer), &maxWidth, &maxHeight);
    const uint64_t maxPixels = driver ? ImagePixelLimit(*driver) : 0;
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s image dimensions are %llux%llux%d", kind,
                Count(width), Count(height), depth);
    if (width == 0 || height == 0)
        return FailJob(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, "The %s image has no pixels.",
                       kind);
    // The sides first: they bound the products.
    if (width > uint64_t(maxWidth) || height > uint64_t(maxHeight) || width * height > maxPixels ||
        width * height * uint64_t(depth) > maxBytes)
        return FailJob(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR,
                       "The %s image of %llux%llu pixels is too large for this printer (at most "
                       "%llu pixels, %dx%d).",
                       kind, Count(width), Count(height), Count(maxPixels), maxWidth, maxHeight);
    return true;
}

#include "app/documents/PapplImageJob.h"

#include "app/documents/PageLimits.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/JobFailure.h"

PapplImageJob::~PapplImageJob() {
    if (m_options) papplJobDeletePrintOptions(m_options);
}

void PapplImageJob::Log(ImageLog level, const char* message) {
    const pappl_loglevel_t pappl =
        level == ImageLog::Warning ? PAPPL_LOGLEVEL_WARN : PAPPL_LOGLEVEL_INFO;
    papplLogJob(m_job, pappl, "%s", message);
}

void PapplImageJob::Fail(ImageFault fault, const char* message) {
    const pappl_jreason_t reason = fault == ImageFault::Format ? PAPPL_JREASON_DOCUMENT_FORMAT_ERROR
                                   : fault == ImageFault::Unprintable
                                       ? PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR
                                       : PAPPL_JREASON_ERRORS_DETECTED;
    FailJob(m_job, reason, "%s", message);
}

bool PapplImageJob::IsCanceled() {
    return papplJobIsCanceled(m_job);
}

ImageLimits PapplImageJob::Limits() {
    pappl_printer_t* printer = papplJobGetPrinter(m_job);
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(printer));
    int width = 0, height = 0;
    ImageLimits limits;
    limits.bytes = papplSystemGetMaxImageSize(papplPrinterGetSystem(printer), &width, &height);
    limits.width = uint64_t(width);
    limits.height = uint64_t(height);
    limits.pixels = driver ? ImagePixelLimit(*driver) : 0;
    return limits;
}

bool PapplImageJob::PrintsGray(bool color) {
    return PrintOptions(color)->header.cupsNumColors == 1;
}

pappl_pr_options_t* PapplImageJob::PrintOptions(bool color) {
    if (!m_options) m_options = papplJobCreatePrintOptions(m_job, 1, color);
    return m_options;
}

#pragma once

#include <pappl/pappl.h>

#include "app/documents/ImageJob.h"

// A PAPPL job as the image decoders see it: messages go to the job's log,
// a failure ends the job (FailJob), and the limits are PAPPL's image limits
// with the printer's own (see ImagePixelLimit). It keeps the print options
// it makes, for the filter to print with.
class PapplImageJob : public ImageJob {
public:
    explicit PapplImageJob(pappl_job_t* job) : m_job(job) {}
    ~PapplImageJob() override;
    PapplImageJob(const PapplImageJob&) = delete;
    PapplImageJob& operator=(const PapplImageJob&) = delete;

    void Log(ImageLog level, const char* message) override;
    void Fail(ImageFault fault, const char* message) override;
    bool IsCanceled() override;
    ImageLimits Limits() override;
    bool PrintsGray(bool color) override;

    // The job's print options, made on first use for an image with or
    // without colour.
    pappl_pr_options_t* PrintOptions(bool color);

private:
    pappl_job_t* m_job;
    pappl_pr_options_t* m_options = nullptr;
};

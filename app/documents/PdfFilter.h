#pragma once

#include <pappl/pappl.h>

// A PDF document: each page drawn by poppler in a child process (see
// PdfProcess) at the printer's resolution, and printed on its own label;
// `data` is the PdfTimeLimits.
bool FilterPdf(pappl_job_t* job, pappl_device_t* device, void* data);

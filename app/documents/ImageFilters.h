#pragma once

#include <pappl/pappl.h>

#include "app/documents/PdfTimeLimits.h"

// PNG and JPEG documents decoded by the application instead of PAPPL's own
// readers: a read error ends the job with a message, an image too large for
// the printer is refused before its pixels are allocated, and a cancel
// stops the decoding. The pixels then go through papplJobFilterImage, as
// with PAPPL's readers. PDF documents too (see PdfFilter), within `pdfTimes`,
// which must last as long as the system.
void AddImageFilters(pappl_system_t* system, const PdfTimeLimits* pdfTimes);

bool FilterPng(pappl_job_t* job, pappl_device_t* device, void* data);
bool FilterJpeg(pappl_job_t* job, pappl_device_t* device, void* data);

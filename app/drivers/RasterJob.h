#pragma once

#include <pappl/pappl.h>

// The PAPPL callbacks of a job: raster pages through the core's page
// pipeline and encoder, and raw printer streams passed through untouched.
bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned page);
bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned y, const unsigned char* line);
bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                   unsigned page);
bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool PrintRawFile(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

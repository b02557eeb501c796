#pragma once

#include <pappl/pappl.h>

// Ends a job's processing with the reason given: logged as an error, shown
// as the job-state-message and added to the job-state-reasons. Returns
// false, for callbacks to return.
bool FailJob(pappl_job_t* job, pappl_jreason_t reason, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

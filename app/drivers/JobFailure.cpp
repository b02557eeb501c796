#include "app/drivers/JobFailure.h"

#include <cstdarg>
#include <cstdio>

bool FailJob(pappl_job_t* job, pappl_jreason_t reason, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", message);
    papplJobSetMessage(job, "%s", message);
    papplJobSetReasons(job, reason, PAPPL_JREASON_NONE);
    return false;
}

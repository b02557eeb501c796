#pragma once

#include <pappl/pappl.h>

// One job at a time on each printer, whatever the library does: a job
// claims its printer before it sends a byte and gives it back at its end. A
// second job waits for the first (or for its own cancellation); the same job
// started twice is refused, so its bytes never reach the device twice.
bool ClaimPrinter(pappl_job_t* job);
void ReleasePrinter(pappl_job_t* job);

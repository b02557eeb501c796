#pragma once

#include <pappl/pappl.h>

class CStatusLink;

// Asks the printer before a page is sent. While it reports paper out or the
// cover open, the job waits with the reason shown and in its log, asking
// again every kPollMs, so no page goes into a printer that would lose it.
// A printer that stops answering is printed to as before. False when the
// job was cancelled while it waited.
constexpr int kPollMs = 2000;
bool WaitForPrinter(pappl_job_t* job, CStatusLink& link);

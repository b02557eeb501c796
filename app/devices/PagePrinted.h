#pragma once

#include <pappl/pappl.h>

class CStatusLink;

// After a page's bytes, for printers that say when a page has printed
// (StatusExchange::progress): the job waits for it, asking again every
// kProgressPollMs, for at most kPagePrintedMs, so that it is not completed
// before the page is out. True when the page printed, the printer is not
// asked, or the job was cancelled; false, with the job failed and why,
// when the printer said the page failed or never said it printed.
constexpr int kProgressPollMs = 500;
constexpr int kPagePrintedMs = 30000;
bool WaitForPagePrinted(pappl_job_t* job, CStatusLink& link);

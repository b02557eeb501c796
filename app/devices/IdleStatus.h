#pragma once

#include <pappl/pappl.h>

// Asks an idle printer for its status and shows it (PAPPL calls the status
// callback for Get-Printer-Attributes and the web page only while the
// printer is idle, at most once a second). A printer whose device did not
// open or that did not answer is left alone for a while (QuietPrinters.h),
// so a one-way printer slows those requests down once in that time at most.
void RefreshIdleStatus(pappl_printer_t* printer);

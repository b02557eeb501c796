#pragma once

#include <pappl/pappl.h>

// PAPPL's test page callback: draws the printer's test page for its
// default media and resolution into a PNG file in PAPPL's temporary folder
// and returns its name (PAPPL prints it as a job and removes the file with
// the job), or null with the reason in the printer's log.
const char* MakeTestPage(pappl_printer_t* printer, char* buffer, size_t size);

#pragma once

#include <pappl/pappl.h>

// The printer's Calibrate page (/<printer>/calibrate), linked from its
// status page when its language can calibrate: a button that makes the
// printer measure its labels, and what came of it.
void AddCalibratePage(pappl_printer_t* printer);

#pragma once

#include <pappl/pappl.h>

#include <string>

// Calibration: a label printer feeds labels until its sensor has learnt
// where one ends and the next begins, for the sensing of the printer's
// loaded media (gap or black mark). The language table holds the commands;
// printers whose language has none are told so. Nothing is sent while a job
// has the printer's device.
struct CalibrationResult {
    bool sent = false;
    std::string message;  // one sentence for the user
};

CalibrationResult CalibratePrinter(pappl_printer_t* printer);
// Can the printer's driver calibrate it at all?
bool CanCalibrate(pappl_printer_t* printer);

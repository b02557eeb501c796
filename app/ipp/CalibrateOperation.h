#pragma once

#include <pappl/pappl.h>

// Calibration over IPP: a vendor operation sent to the printer's URI, which
// the `calibrate` subcommand sends through the server's control socket. The
// answer's status message is the sentence for the user.
inline constexpr auto kCalibratePrinterOperation = static_cast<ipp_op_t>(0x4C01);
inline constexpr const char* kCalibrateSubcommand = "calibrate";

// Server side, from the operation callback: answers the operation.
void AnswerCalibrate(pappl_client_t* client);

// The `calibrate -d NAME` subcommand (PAPPL's extension subcommand).
int CalibrateCommand(const char* baseName, int optionCount, cups_option_t* options, int fileCount,
                     char** files, void* data);

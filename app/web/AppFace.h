#pragma once

#include <pappl/pappl.h>

// How the application presents itself: its name in the web pages' header
// and title, and its own icons for the printers, the browser tab and the
// header, instead of PAPPL's.
inline constexpr const char* kAppTitle = "Thermal Printer App";

// The system's header link and icons; before papplSystemRun, whose own
// icons then give way to these.
void AddAppFace(pappl_system_t* system);
struct Language;

// A printer's icons (48, 128 and 512 pixels), as IPP clients and the web
// page fetch them: those of its family, a label printer, a receipt printer
// or a mini printer.
void SetPrinterIcons(pappl_pr_driver_data_t& data, const Language& language);

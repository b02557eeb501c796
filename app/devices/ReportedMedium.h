#pragma once

#include <pappl/pappl.h>

#include "printers/PrinterConditions.h"

// Makes the medium a printer reports loaded (its width, its media type) the
// printer's ready medium: the size of the driver's media of that width,
// keeping the length of the ready one when it has that width too. Nothing
// changes when the printer reports no medium or the driver has none of its
// width.
void ShowReportedMedium(pappl_printer_t* printer, const PrinterConditions& conditions);

#pragma once

#include <pappl/pappl.h>

#include "printers/PrinterConditions.h"

// Shows what the printer said as its printer-state-reasons (media-empty,
// media-low, cover-open, media-jam, marker-supply-empty, offline, other,
// media-needed), clearing those it no longer reports; no answer clears them
// all. A medium the printer reports loaded becomes the ready medium.
void ShowConditions(pappl_printer_t* printer, const PrinterConditions& conditions);

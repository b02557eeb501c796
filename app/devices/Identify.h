#pragma once

#include <pappl/pappl.h>

// IPP Identify-Printer and the web page's "Identify Printer" button: the
// printer feeds paper without printing (a few lines, or one blank label).
// `identify-actions-supported` is "sound": the feed is heard and seen, and
// no message is shown, so "display" would promise too much. Nothing is sent
// while the printer's device is in use by a job.
inline constexpr pappl_identify_actions_t kIdentifyActions = PAPPL_IDENTIFY_ACTIONS_SOUND;

void IdentifyPrinter(pappl_printer_t* printer, pappl_identify_actions_t actions,
                     const char* message);

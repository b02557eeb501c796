#include "app/devices/PrinterReasons.h"

#include "app/devices/ReportedMedium.h"

namespace {
constexpr pappl_preason_t kShown =
    PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_MEDIA_LOW | PAPPL_PREASON_COVER_OPEN |
    PAPPL_PREASON_MEDIA_JAM | PAPPL_PREASON_MARKER_SUPPLY_EMPTY | PAPPL_PREASON_OFFLINE |
    PAPPL_PREASON_OTHER | PAPPL_PREASON_OTHER_WARNING | PAPPL_PREASON_MEDIA_NEEDED;
}  // namespace

void ShowConditions(pappl_printer_t* printer, const PrinterConditions& c) {
    pappl_preason_t reasons = PAPPL_PREASON_NONE;
    if (c.answered) {
        if (c.mediaEmpty) reasons |= PAPPL_PREASON_MEDIA_EMPTY;
        if (c.mediaLow) reasons |= PAPPL_PREASON_MEDIA_LOW;
        if (c.coverOpen) reasons |= PAPPL_PREASON_COVER_OPEN;
        if (c.mediaJam) reasons |= PAPPL_PREASON_MEDIA_JAM;
        if (c.ribbonOut) reasons |= PAPPL_PREASON_MARKER_SUPPLY_EMPTY;
        if (c.offline) reasons |= PAPPL_PREASON_OFFLINE;
        if (c.overheated || c.otherError) reasons |= PAPPL_PREASON_OTHER;
        if (c.batteryLow) reasons |= PAPPL_PREASON_OTHER_WARNING;
        if (c.mediaNeeded) reasons |= PAPPL_PREASON_MEDIA_NEEDED;
    }
    papplPrinterSetReasons(printer, reasons, kShown & ~reasons);
    ShowReportedMedium(printer, c);
}

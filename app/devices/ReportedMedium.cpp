#include "app/devices/ReportedMedium.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kSlack = 50;  // hundredths of a millimetre: 3.5 mm tape is 3.5 mm

bool SameWidth(int a, int b) {
    return std::abs(a - b) <= kSlack;
}

bool Supported(const pappl_pr_driver_data_t& d, const char* type) {
    for (int i = 0; i < d.num_type; i++)
        if (!std::strcmp(d.type[i], type)) return true;
    return false;
}

// The driver's first medium of this width, or null.
pwg_media_t* MediumOfWidth(const pappl_pr_driver_data_t& d, int width) {
    for (int i = 0; i < d.num_media; i++) {
        pwg_media_t* size = pwgMediaForPWG(d.media[i]);
        if (size && std::strncmp(d.media[i], "roll_", 5) && SameWidth(size->width, width))
            return size;
    }
    return nullptr;
}
}  // namespace

void ShowReportedMedium(pappl_printer_t* printer, const PrinterConditions& c) {
    if (!c.answered || c.loadedWidth <= 0) return;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    pappl_media_col_t& ready = d.media_ready[0];
    const bool typeKnown = c.loadedType[0] && Supported(d, c.loadedType);
    const bool sameType = !typeKnown || !std::strcmp(ready.type, c.loadedType);
    if (SameWidth(ready.size_width, c.loadedWidth) && sameType) return;
    if (!SameWidth(ready.size_width, c.loadedWidth)) {
        pwg_media_t* size = MediumOfWidth(d, c.loadedWidth);
        if (!size) return;
        papplCopyString(ready.size_name, size->pwg, sizeof ready.size_name);
        ready.size_width = size->width;
        ready.size_length = size->length;
    }
    if (typeKnown) papplCopyString(ready.type, c.loadedType, sizeof ready.type);
    papplPrinterSetReadyMedia(printer, d.num_source, d.media_ready);
}

#include "app/devices/Identify.h"

#include <vector>

#include "app/drivers/DriverCatalog.h"
#include "app/ipp/PaperangSeed.h"
#include "printers/IdentifyCommands.h"

namespace {
std::vector<uint8_t> BytesFor(pappl_printer_t* printer) {
    const char* name = papplPrinterGetDriverName(printer);
    const DriverInfo* driver = FindDriver(name ? name : "");
    if (!driver) return {};
    IdentifySettings settings;
    if (driver->language->checksumSeed) settings.paperangSeed = PrinterPaperangSeed(printer);
    return IdentifyBytes(driver->language->modelNumber, settings);
}
}  // namespace

void IdentifyPrinter(pappl_printer_t* printer, pappl_identify_actions_t actions, const char*) {
    if (!(actions & kIdentifyActions)) return;
    const std::vector<uint8_t> bytes = BytesFor(printer);
    if (bytes.empty()) return;
    // PAPPL hands the device out only while no job has it.
    pappl_device_t* device = papplPrinterOpenDevice(printer);
    if (!device) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN,
                        "Not identified: the printer is busy or cannot be reached.");
        return;
    }
    const bool sent = papplDeviceWrite(device, bytes.data(), bytes.size()) >= 0;
    papplDeviceFlush(device);
    papplLogPrinter(printer, sent ? PAPPL_LOGLEVEL_INFO : PAPPL_LOGLEVEL_ERROR,
                    sent ? "Identified: paper fed." : "Not identified: the device took no data.");
    papplPrinterCloseDevice(printer);
}

#include "app/devices/IdleStatus.h"

#include <string_view>

#include "app/devices/DeviceOutput.h"
#include "app/devices/PrinterReasons.h"
#include "app/devices/QuietPrinters.h"
#include "app/devices/StatusLink.h"

void RefreshIdleStatus(pappl_printer_t* printer) {
    const int id = papplPrinterGetID(printer);
    if (!CStatusLink::ExchangeOf(printer) || IsQuiet(id)) return;
    // A Bluetooth LE printer is asked during jobs only: connecting to it
    // takes long enough to turn jobs away as busy, and costs its battery.
    if (std::string_view(papplPrinterGetDeviceURI(printer)).starts_with("ble:")) return;
    pappl_device_t* device = papplPrinterOpenDevice(printer);
    if (!device) {
        SetQuiet(id, true);
        return;
    }
    CDeviceOutput output(nullptr, device);
    CStatusLink link(printer, nullptr, device, output);
    const PrinterConditions conditions = link.Ask();
    papplPrinterCloseDevice(printer);
    ShowConditions(printer, conditions);
}

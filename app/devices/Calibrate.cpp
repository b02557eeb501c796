#include "app/devices/Calibrate.h"

#include <string_view>

#include "app/drivers/DriverCatalog.h"

namespace {
const Language* LanguageOf(pappl_printer_t* printer) {
    const char* name = papplPrinterGetDriverName(printer);
    const DriverInfo* driver = FindDriver(name ? name : "");
    return driver ? driver->language : nullptr;
}

// "gap" or "mark" as the loaded media says; "" for continuous media.
std::string_view SensingOf(pappl_printer_t* printer) {
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    const pappl_media_col_t& media = d.media_ready[0];
    if (media.tracking == PAPPL_MEDIA_TRACKING_MARK) return "mark";
    if (media.tracking == PAPPL_MEDIA_TRACKING_GAP || media.tracking == PAPPL_MEDIA_TRACKING_WEB)
        return "gap";
    return "";
}

std::string What(const Calibration& c) {
    const std::string_view sensing = c.sensing;
    if (sensing == "gap") return "the gap between labels";
    if (sensing == "mark") return "the black mark";
    return "the labels with the sensor it is set to";
}
}  // namespace

bool CanCalibrate(pappl_printer_t* printer) {
    const Language* language = LanguageOf(printer);
    return language && !language->calibrations.empty();
}

CalibrationResult CalibratePrinter(pappl_printer_t* printer) {
    const Language* language = LanguageOf(printer);
    if (!language) return {false, "The printer has no driver of this application."};
    const Calibration* c = FindCalibration(*language, SensingOf(printer));
    if (!c)
        return {false, std::string(language->title) +
                           " printers have no calibration command: they need none, or are "
                           "calibrated on the printer itself."};
    pappl_device_t* device = papplPrinterOpenDevice(printer);
    if (!device) return {false, "Not calibrated: the printer is busy or cannot be reached."};
    const bool sent = papplDeviceWrite(device, c->bytes.data(), c->bytes.size()) >= 0;
    papplDeviceFlush(device);
    papplPrinterCloseDevice(printer);
    CalibrationResult result{sent, sent ? "Calibrating: the printer feeds labels until it has "
                                          "measured " +
                                              What(*c) + "."
                                        : "Not calibrated: the device took no data."};
    papplLogPrinter(printer, sent ? PAPPL_LOGLEVEL_INFO : PAPPL_LOGLEVEL_ERROR, "%s",
                    result.message.c_str());
    return result;
}

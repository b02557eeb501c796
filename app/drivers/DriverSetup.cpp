#include "app/drivers/DriverSetup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/devices/BleDevice.h"
#include "app/devices/DeviceRules.h"
#include "app/devices/Identify.h"
#include "app/devices/IdleStatus.h"
#include "app/devices/SerialDevice.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/DriverMargins.h"
#include "app/drivers/NoDriver.h"
#include "app/drivers/RasterJob.h"
#include "app/ipp/PaperangSeed.h"
#include "app/ipp/VendorOptions.h"
#include "app/pages/TestPage.h"
#include "app/web/AppFace.h"
#include "app/web/WebLabels.h"

namespace {
// Gives media saved under a name the catalog no longer has (an older
// release's name of the same size) the catalog's name of that size; false
// when the name is listed or no listed size matches.
bool RenameToListedSize(const DriverInfo& driver, pappl_media_col_t& media) {
    auto listed = [&](const char* name) { return !std::strcmp(name, media.size_name); };
    if (std::any_of(driver.media.begin(), driver.media.end(), listed) || listed(driver.rollMin) ||
        listed(driver.rollMax))
        return false;
    for (const char* name : driver.media) {
        const pwg_media_t* size = pwgMediaForPWG(name);
        if (size && size->width == media.size_width && size->length == media.size_length) {
            papplCopyString(media.size_name, name, sizeof media.size_name);
            return true;
        }
    }
    return false;
}

// A printer whose head reaches every medium's edges offers its media
// borderless too; PAPPL lists borderless sizes only beside sizes with margins
// on all four sides.
bool OffersBorderless(const DriverInfo& driver) {
    const DriverMargins margins = MarginsOf(driver);
    return margins.leftRight > 0 && margins.bottomTop > 0 && PrintsToEdges(driver);
}

// Media saved by an older release may carry margins smaller than the
// driver's today, which would leave content where the printer cannot print:
// they get the driver's margins. Borderless media stay so where offered.
bool WidenMargins(const DriverInfo& driver, pappl_media_col_t& media) {
    const bool borderless =
        !media.left_margin && !media.right_margin && !media.top_margin && !media.bottom_margin;
    if (borderless && OffersBorderless(driver)) return false;
    const DriverMargins margins = MarginsOf(driver);
    bool widened = false;
    for (int* side : {&media.left_margin, &media.right_margin}) {
        if (*side >= margins.leftRight) continue;
        *side = margins.leftRight;
        widened = true;
    }
    for (int* side : {&media.top_margin, &media.bottom_margin}) {
        if (*side >= margins.bottomTop) continue;
        *side = margins.bottomTop;
        widened = true;
    }
    return widened;
}

bool RefreshSavedMedia(const DriverInfo& driver, pappl_media_col_t& media) {
    const bool renamed = RenameToListedSize(driver, media);
    return WidenMargins(driver, media) || renamed;
}

// PAPPL calls the status callback once a printer is loaded from the state
// file, with its saved defaults in place (and later now and then, when
// nothing is left to change).
bool RenameStaleMedia(pappl_printer_t* printer) {
    const char* driverName = papplPrinterGetDriverName(printer);
    const DriverInfo* driver = driverName ? FindDriver(driverName) : nullptr;
    if (!driver) return true;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    if (RefreshSavedMedia(*driver, d.media_default))
        papplPrinterSetDriverDefaults(printer, &d, 0, nullptr);
    bool ready = false;
    for (int i = 0; i < d.num_source; i++) ready |= RefreshSavedMedia(*driver, d.media_ready[i]);
    if (ready) papplPrinterSetReadyMedia(printer, d.num_source, d.media_ready);
    return true;
}

bool UpdateStatus(pappl_printer_t* printer) {
    RenameStaleMedia(printer);
    RefreshIdleStatus(printer);
    return true;
}

void SetCallbacks(const Language& language, pappl_pr_driver_data_t& d) {
    d.rstartjob_cb = StartRasterJob;
    d.rstartpage_cb = StartRasterPage;
    d.rwriteline_cb = WriteRasterLine;
    d.rendpage_cb = EndRasterPage;
    d.rendjob_cb = EndRasterJob;
    d.printfile_cb = PrintRawFile;
    d.status_cb = UpdateStatus;
    d.testpage_cb = MakeTestPage;
    if (language.identify) {
        d.identify_cb = IdentifyPrinter;
        d.identify_supported = d.identify_default = kIdentifyActions;
    }
    SetPrinterIcons(d, language);
}

pappl_media_tracking_t TrackingOf(const Language& language) {
    const char* tracking = LanguageDefault(language, "zeMediaTracking");
    if (tracking && std::string(tracking) == "Gap") return PAPPL_MEDIA_TRACKING_GAP;
    return PAPPL_MEDIA_TRACKING_CONTINUOUS;
}

void SetMedia(const DriverInfo& driver, pappl_pr_driver_data_t& d) {
    d.num_media = 0;
    for (const char* name : driver.media) d.media[d.num_media++] = name;
    d.media[d.num_media++] = driver.rollMin;
    d.media[d.num_media++] = driver.rollMax;
    const DriverMargins margins = MarginsOf(driver);
    d.left_right = margins.leftRight;
    d.bottom_top = margins.bottomTop;
    d.borderless = OffersBorderless(driver);
    d.num_source = 1;
    d.source[0] = "main-roll";
    // A label printer also takes continuous stock; a receipt printer only
    // its roll.
    d.num_type = 0;
    if (driver.language->label) d.type[d.num_type++] = "labels";
    d.type[d.num_type++] = "continuous";
    // Mini printers whose media tracking knows perforated and recording paper.
    if (LanguageDefault(*driver.language, "Darkness") &&
        LanguageDefault(*driver.language, "zeMediaTracking") && !driver.language->label) {
        d.type[d.num_type++] = "perforated";
        d.type[d.num_type++] = "recording";
    }
    for (const char* type : driver.types)
        if (d.num_type < PAPPL_MAX_TYPE) d.type[d.num_type++] = type;
    d.tracking_supported =
        LanguageDefault(*driver.language, "zeMediaTracking")
            ? PAPPL_MEDIA_TRACKING_CONTINUOUS | PAPPL_MEDIA_TRACKING_GAP | PAPPL_MEDIA_TRACKING_MARK
            : PAPPL_MEDIA_TRACKING_CONTINUOUS;

    pappl_media_col_t& m = d.media_default;
    pwg_media_t* size = pwgMediaForPWG(driver.media[0]);
    papplCopyString(m.size_name, driver.media[0], sizeof m.size_name);
    m.size_width = size ? size->width : 0;
    m.size_length = size ? size->length : 0;
    m.left_margin = m.right_margin = margins.leftRight;
    m.top_margin = m.bottom_margin = margins.bottomTop;
    papplCopyString(m.source, "main-roll", sizeof m.source);
    papplCopyString(m.type, d.type[0], sizeof m.type);
    m.tracking = TrackingOf(*driver.language);
    d.media_ready[0] = m;
}

void SetPrintQuality(const DriverInfo& driver, pappl_pr_driver_data_t& d) {
    const Language& f = *driver.language;
    d.darkness_supported = f.darknessLevels;
    d.darkness_configured = f.darknessConfigured;
    d.darkness_default = 0;
    if (!f.speeds.empty()) {
        d.speed_supported[0] = f.speeds.front() * 2540;
        d.speed_supported[1] = f.speeds.back() * 2540;
        const char* speed = LanguageDefault(f, "zePrintRate");
        d.speed_default = PrinterSettingByDefault(f, "zePrintRate") ? 0 : std::atoi(speed) * 2540;
    }
    if (LanguageDefault(f, "AdjustHoriaontal")) d.left_offset_supported[1] = 2400;
    if (LanguageDefault(f, "AdjustVertical")) d.top_offset_supported[1] = 2400;
    if (f.label && LanguageDefault(f, "FeedOffset")) {
        d.tear_offset_supported[0] = -300;
        d.tear_offset_supported[1] = 1000;
    }
}

// Vendor attributes: "-supported" always, "-default" only for a new
// printer (a loaded one brings its saved default).
void AddVendorOptions(const Language& language, pappl_pr_driver_data_t& d, ipp_t*& attrs) {
    if (!attrs) attrs = ippNew();
    d.num_vendor = 0;
    for (const VendorOption& v : VendorOptions()) {
        if (!AppliesTo(v, language)) continue;
        d.vendor[d.num_vendor++] = v.name;
        const std::string supported = std::string(v.name) + "-supported";
        const std::string def = std::string(v.name) + "-default";
        const std::string value = ValueForChoice(v, DefaultChoice(v, language));
        if (v.keywords.empty()) {
            if (!ippFindAttribute(attrs, supported.c_str(), IPP_TAG_ZERO))
                ippAddRange(attrs, IPP_TAG_PRINTER, supported.c_str(), v.min, v.max);
            if (!ippFindAttribute(attrs, def.c_str(), IPP_TAG_ZERO))
                ippAddInteger(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, def.c_str(),
                              std::stoi(value));
            continue;
        }
        std::vector<const char*> keywords;
        for (const VendorKeyword& k : v.keywords)
            if (TakesKeyword(k, &language)) keywords.push_back(k.keyword);
        if (!ippFindAttribute(attrs, supported.c_str(), IPP_TAG_ZERO))
            ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supported.c_str(),
                          static_cast<int>(keywords.size()), nullptr, keywords.data());
        if (!ippFindAttribute(attrs, def.c_str(), IPP_TAG_ZERO))
            ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, def.c_str(), nullptr,
                         value.c_str());
    }
}
}  // namespace

bool SetUpDriver(pappl_system_t* system, const char* driverName, const char* deviceUri, const char*,
                 pappl_pr_driver_data_t* data, ipp_t** attributes, void*) {
    if (SerialUriRefused(system, deviceUri) || FileDeviceRefused(system, deviceUri)) return false;
    // Only a printer of the saved state comes here with "auto" (PAPPL).
    if (driverName && std::string_view(driverName) == "auto") {
        SetUpNoDriver(*data);
        return true;
    }
    const DriverInfo* driver = FindDriver(driverName ? driverName : "");
    if (!driver) return false;
    if (deviceUri) SetBleEveryNotify(deviceUri, driver->bleEveryNotify);
    pappl_pr_driver_data_t& d = *data;
    SetCallbacks(*driver->language, d);
    d.format = driver->language->rawFormat;
    papplCopyString(d.make_and_model, driver->makeAndModel, sizeof d.make_and_model);
    d.kind = driver->language->label ? PAPPL_KIND_LABEL : PAPPL_KIND_RECEIPT | PAPPL_KIND_ROLL;
    d.ppm = 10;
    // The core makes the dots, so pages should come as 8-bit gray: only
    // that is offered, nor bi-level printing (which makes clients send
    // 1-bit pages). A 1-bit page that comes anyway reaches us as 8-bit
    // gray lines (our PAPPL patch), so it prints its own dots.
    d.color_supported = PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_AUTO;
    d.color_default = PAPPL_COLOR_MODE_MONOCHROME;
    d.raster_types = PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    d.force_raster_type = PAPPL_PWG_RASTER_TYPE_NONE;
    d.num_resolution = 1;
    d.x_resolution[0] = d.y_resolution[0] = d.x_default = d.y_default = driver->dpi;
    if (driver->language->doubleLines) {
        d.num_resolution = 2;
        d.x_resolution[1] = driver->dpi;
        d.y_resolution[1] = 2 * driver->dpi;
    }
    d.orient_default = IPP_ORIENT_NONE;
    SetMedia(*driver, d);
    SetPrintQuality(*driver, d);
    AddVendorOptions(*driver->language, d, *attributes);
    if (driver->language->checksumSeed) AddPaperangSeedOption(d, *attributes);
    AddWebLabels(system);
    return true;
}

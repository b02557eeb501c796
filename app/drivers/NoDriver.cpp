#include "app/drivers/NoDriver.h"

#include "app/drivers/JobFailure.h"
#include "app/drivers/RasterJob.h"

namespace {
constexpr const char* kMedium = "oe_4x6-label_4x6in";
constexpr int kDpi = 203;

// Marks the printer, again whenever PAPPL asks how it is: resuming it
// cannot make it print without a driver.
bool MarkNoDriver(pappl_printer_t* printer) {
    papplPrinterSetStateMessage(printer,
                                NoDriverMessage(papplPrinterGetDeviceURI(printer)).c_str());
    papplPrinterSetReasons(printer, PAPPL_PREASON_OTHER, PAPPL_PREASON_NONE);
    if (papplPrinterIsAcceptingJobs(printer)) papplPrinterDisable(printer);
    if (papplPrinterGetState(printer) != IPP_PSTATE_STOPPED) papplPrinterPause(printer);
    return true;
}

bool RefuseJob(pappl_job_t* job) {
    const std::string why = NoDriverMessage(papplPrinterGetDeviceURI(papplJobGetPrinter(job)));
    return FailJob(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, "%s", why.c_str());
}
}  // namespace

std::string NoDriverMessage(const char* deviceUri) {
    return std::string("Could not tell which language the printer at ") +
           (deviceUri ? deviceUri : "") +
           " speaks; choose its driver: delete this printer and add it again with one.";
}

void SetUpNoDriver(pappl_pr_driver_data_t& d) {
    papplCopyString(d.make_and_model, "No driver (its language is not known)",
                    sizeof d.make_and_model);
    d.status_cb = MarkNoDriver;
    d.rstartjob_cb = [](pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
        return RefuseJob(job);
    };
    d.rstartpage_cb = StartRasterPage;
    d.rwriteline_cb = WriteRasterLine;
    d.rendpage_cb = EndRasterPage;
    d.rendjob_cb = EndRasterJob;
    d.kind = PAPPL_KIND_LABEL;
    d.ppm = 1;
    d.color_supported = d.color_default = PAPPL_COLOR_MODE_MONOCHROME;
    d.raster_types = PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    d.num_resolution = 1;
    d.x_resolution[0] = d.y_resolution[0] = d.x_default = d.y_default = kDpi;
    d.num_media = 1;
    d.media[0] = kMedium;
    d.num_source = 1;
    d.source[0] = "main-roll";
    d.num_type = 1;
    d.type[0] = "labels";
    pappl_media_col_t& m = d.media_default;
    const pwg_media_t* size = pwgMediaForPWG(kMedium);
    papplCopyString(m.size_name, kMedium, sizeof m.size_name);
    m.size_width = size ? size->width : 0;
    m.size_length = size ? size->length : 0;
    papplCopyString(m.source, "main-roll", sizeof m.source);
    papplCopyString(m.type, "labels", sizeof m.type);
    d.media_ready[0] = m;
}

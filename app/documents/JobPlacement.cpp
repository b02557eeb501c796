#include "app/documents/JobPlacement.h"

#include "app/documents/PageLimits.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/DriverMargins.h"
#include "app/ipp/JobChoices.h"

namespace {
int Dots(int hundredthsOfMm, int dpi) {
    return (hundredthsOfMm * dpi + 1270) / 2540;
}

Scaling ScalingOf(pappl_scaling_t s) {
    switch (s) {
        case PAPPL_SCALING_AUTO_FIT:
            return Scaling::AutoFit;
        case PAPPL_SCALING_FIT:
            return Scaling::Fit;
        case PAPPL_SCALING_FILL:
            return Scaling::Fill;
        case PAPPL_SCALING_NONE:
            return Scaling::None;
        default:
            return Scaling::Auto;
    }
}

// Quarter turns counter-clockwise: landscape turns the page's top to the
// left, as PAPPL turns images.
int TurnsOf(ipp_orient_t orientation) {
    switch (orientation) {
        case IPP_ORIENT_PORTRAIT:
            return 0;
        case IPP_ORIENT_LANDSCAPE:
            return 1;
        case IPP_ORIENT_REVERSE_PORTRAIT:
            return 2;
        case IPP_ORIENT_REVERSE_LANDSCAPE:
            return 3;
        default:
            return -1;
    }
}

// Receipt and mini printers print on rolls; label printers on continuous
// stock when the job's tracking says so (families without a tracking
// setting print die-cut labels).
bool OnRoll(const DriverInfo& driver, const pappl_pr_options_t& o) {
    if (!driver.language->label) return true;
    return LanguageDefault(*driver.language, "zeMediaTracking") &&
           o.media.tracking == PAPPL_MEDIA_TRACKING_CONTINUOUS;
}

// The head's reach on a label: what the printer leaves of the page, centred,
// at the job's resolution.
void SetCut(const DriverInfo& driver, const pappl_pr_options_t& o, PlacementMedium& m) {
    const MediumCut cut = CutOfMedium(driver, o.media.size_width, o.media.size_length);
    const int across = static_cast<int>(cut.across * m.xdpi / driver.dpi);
    const int along = m.roll ? 0 : static_cast<int>(cut.along * m.ydpi / driver.dpi);
    m.cutLeft = across / 2;
    m.cutRight = across - m.cutLeft;
    m.cutTop = along / 2;
    m.cutBottom = along - m.cutTop;
}
}  // namespace

PlacementMedium JobMedium(const DriverInfo& driver, const pappl_pr_options_t& o) {
    PlacementMedium m;
    const int xdpi = o.printer_resolution[0] > 0 ? o.printer_resolution[0] : driver.dpi;
    const int ydpi = o.printer_resolution[1] > 0 ? o.printer_resolution[1] : driver.dpi;
    m.xdpi = xdpi;
    m.ydpi = ydpi;
    m.width = o.media.size_width * xdpi / 2540;
    m.length = o.media.size_length * ydpi / 2540;
    m.left = Dots(o.media.left_margin, xdpi);
    m.right = Dots(o.media.right_margin, xdpi);
    m.top = Dots(o.media.top_margin, ydpi);
    m.bottom = Dots(o.media.bottom_margin, ydpi);
    m.roll = OnRoll(driver, o);
    SetCut(driver, o, m);
    if (m.roll) m.length = static_cast<int>(LargestMedium(driver).length * ydpi / driver.dpi);
    return m;
}

PlacementRequest JobRequest(pappl_job_t* job, const pappl_pr_options_t& o) {
    PlacementRequest request;
    request.scaling = ScalingOf(o.print_scaling);
    request.turns = TurnsOf(o.orientation_requested);
    request.fitContent = JobVendorValue(job, o, "thermal-fit-content") == "on";
    return request;
}

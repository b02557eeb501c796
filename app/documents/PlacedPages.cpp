#include "app/documents/PlacedPages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/documents/GrayResample.h"
#include "app/documents/InkBounds.h"
#include "app/documents/JobPlacement.h"
#include "app/drivers/DriverCatalog.h"

namespace {
// The page's inked area, drawn at the printer's resolution.
bool DrawInk(PageSource& source, int page, const PlacementMedium& m, GrayImage& image,
             PixelRect& ink) {
    if (!source.Draw(page, m.xdpi, m.ydpi, image)) return false;
    ink = InkBounds(image);
    if (ink.width <= 0) ink = PixelRect{0, 0, image.width, image.height};
    image = CropImage(image, ink);
    return true;
}

// A document drawn anew at the scale it prints at (PDF: sharp edges
// instead of resampled ones), cut to the same inked area scaled; images
// keep their pixels.
bool RedrawScaled(PageSource& source, int page, const PlacementMedium& m, const Placement& p,
                  const PixelRect& ink, GrayImage& image) {
    int w = 0, h = 0;
    if (source.Pixels(page, w, h) || std::fabs(p.scale - 1) < 1e-3) return true;
    GrayImage drawn;
    if (!source.Draw(page, m.xdpi * p.scale, m.ydpi * p.scale, drawn)) return false;
    const bool turned = p.turns % 2;
    PixelRect r{static_cast<int>(std::lround(ink.x * p.scale)),
                static_cast<int>(std::lround(ink.y * p.scale)),
                turned ? p.document.height : p.document.width,
                turned ? p.document.width : p.document.height};
    r.width = std::min(r.width, drawn.width - r.x);
    r.height = std::min(r.height, drawn.height - r.y);
    if (r.width > 0 && r.height > 0) image = CropImage(drawn, r);
    return true;
}

void SetPageHeader(pappl_pr_options_t& o, const Placement& p, const PlacementMedium& m) {
    cups_page_header2_t& h = o.header;
    h.cupsWidth = static_cast<unsigned>(p.pageWidth);
    h.cupsHeight = static_cast<unsigned>(p.pageLength);
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 8;
    h.cupsBytesPerLine = h.cupsWidth;
    h.cupsColorSpace = CUPS_CSPACE_SW;
    h.cupsNumColors = 1;
    h.PageSize[0] = static_cast<unsigned>(p.pageWidth * 72 / m.xdpi);
    h.PageSize[1] = static_cast<unsigned>(p.pageLength * 72 / m.ydpi);
}

class RasterOutput {
public:
    RasterOutput(pappl_job_t* job, pappl_device_t* device, pappl_pr_options_t* options)
        : m_job(job), m_device(device), m_options(options) {
        papplPrinterGetDriverData(papplJobGetPrinter(job), &m_driver);
    }
    bool Start() { return m_started = m_driver.rstartjob_cb(m_job, m_options, m_device); }
    bool Page(const GrayImage& page, unsigned number) {
        if (!m_driver.rstartpage_cb(m_job, m_options, m_device, number)) return false;
        for (int y = 0; y < page.height && !papplJobIsCanceled(m_job); y++)
            if (!m_driver.rwriteline_cb(m_job, m_options, m_device, unsigned(y), page.Row(y)))
                return false;
        return m_driver.rendpage_cb(m_job, m_options, m_device, number);
    }
    bool End() {
        const bool ended = !m_started || m_driver.rendjob_cb(m_job, m_options, m_device);
        m_started = false;
        return ended;
    }
    ~RasterOutput() { End(); }

private:
    pappl_job_t* m_job;
    pappl_device_t* m_device;
    pappl_pr_options_t* m_options;
    pappl_pr_driver_data_t m_driver;
    bool m_started = false;
};

// The medium and the job's choices, read before the first page changes
// the header.
struct PageJob {
    pappl_job_t* job;
    pappl_pr_options_t& options;
    PlacementMedium medium;
    PlacementRequest request;
};

// The document page's size in inches, and with fit-content its inked area
// (drawn, and where it lies on the page).
bool Measure(PageJob& pj, PageSource& source, int page, PlacementRequest& request,
             GrayImage& content, PixelRect& ink) {
    const PlacementMedium& m = pj.medium;
    if (request.fitContent) {
        if (!DrawInk(source, page, m, content, ink)) return false;
        request.widthIn = content.width / m.xdpi;
        request.heightIn = content.height / m.ydpi;
        return true;
    }
    if (!source.Size(page, request.widthIn, request.heightIn)) return false;
    int width = 0, height = 0;
    if (source.Pixels(page, width, height) && MadeForMedium(width, height, m)) {
        request.widthIn = width / m.xdpi;
        request.heightIn = height / m.ydpi;
    }
    return true;
}

// Starts drawing the next page at the scale it will print at (known from
// its size unless its content is to be found first).
void PrepareNext(PageJob& pj, PageSource& source, int page) {
    if (pj.request.fitContent || page + 1 >= source.Pages()) return;
    PlacementRequest request = pj.request;
    if (!source.Size(page + 1, request.widthIn, request.heightIn)) return;
    const Placement p = PlacePage(request, pj.medium);
    source.Prepare(page + 1, pj.medium.xdpi * p.scale, pj.medium.ydpi * p.scale);
}

bool PrintPage(PageJob& pj, PageSource& source, int page, RasterOutput& out, unsigned& number) {
    pappl_job_t* job = pj.job;
    const PlacementMedium& m = pj.medium;
    PlacementRequest request = pj.request;
    GrayImage content;
    PixelRect ink;
    if (!Measure(pj, source, page, request, content, ink)) return false;
    const Placement p = PlacePage(request, m);
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG,
                "Page %d: %.2fx%.2f in, %d quarter turns, scale %.3f, at %d,%d size %dx%d on a "
                "%dx%d page.",
                page + 1, request.widthIn, request.heightIn, p.turns, p.scale, p.document.x,
                p.document.y, p.document.width, p.document.height, p.pageWidth, p.pageLength);
    const bool drawn = request.fitContent
                           ? RedrawScaled(source, page, m, p, ink, content)
                           : source.Draw(page, m.xdpi * p.scale, m.ydpi * p.scale, content);
    if (!drawn) return false;
    PrepareNext(pj, source, page);
    GrayImage printed(p.pageWidth, p.pageLength);
    DrawScaled(TurnImage(content, p.turns), p.document, printed);
    content = GrayImage();
    SetPageHeader(pj.options, p, m);
    for (int copy = 0; copy < std::max(pj.options.copies, 1) && !papplJobIsCanceled(job); copy++) {
        if (!out.Page(printed, ++number)) return false;
        papplJobSetImpressionsCompleted(job, 1);
    }
    return true;
}
}  // namespace

bool PrintPlacedPages(pappl_job_t* job, pappl_device_t* device, PageSource& source) {
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(papplJobGetPrinter(job)));
    if (!driver) return false;
    pappl_pr_options_t* options =
        papplJobCreatePrintOptions(job, static_cast<unsigned>(source.Pages()), false);
    papplJobSetImpressions(job, source.Pages());
    PageJob pj{job, *options, JobMedium(*driver, *options), JobRequest(job, *options)};
    bool printed = true;
    {
        RasterOutput out(job, device, options);
        printed = out.Start();
        unsigned number = 0;
        for (int page = 0; printed && page < source.Pages() && !papplJobIsCanceled(job); page++)
            printed = PrintPage(pj, source, page, out, number);
        printed = out.End() && printed;
    }
    papplJobDeletePrintOptions(options);
    return printed;
}

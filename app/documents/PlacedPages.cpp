#include "app/documents/PlacedPages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/documents/GrayResample.h"
#include "app/documents/InkBounds.h"
#include "app/documents/JobPlacement.h"
#include "app/documents/LabelFinder.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/JobFailure.h"

namespace {
// A page at least this many times the label's area is looked at for a
// ruled label holding bar codes (a carrier's page) even without
// fit-content.
constexpr double kMuchLarger = 2;

// A page not drawn, and why.
struct LeftOut {
    int page;
    std::string why;
};

// The label's part of the page (see FindLabel), drawn at the printer's
// resolution; on a roll, all of the page's ink.
FoundLabel FindContent(const GrayImage& page, const PlacementMedium& m) {
    if (m.roll) return FoundLabel{InkBounds(page), FoundLabel::How::Ink};
    return FindLabel(page, m.width, m.length, m.xdpi);
}

// The found area drawn anew at the scale it prints at (PDF: sharp edges
// instead of resampled ones), only that part of the page so that enlarging
// stays within the drawing limits; images keep their pixels.
bool RedrawScaled(PageSource& source, int page, const PlacementMedium& m, const Placement& p,
                  const PixelRect& area, GrayImage& image, std::string& why) {
    int w = 0, h = 0;
    if (source.Pixels(page, w, h) || std::fabs(p.scale - 1) < 1e-3) return true;
    const bool turned = p.turns % 2;
    const PixelRect region{static_cast<int>(std::lround(area.x * p.scale)),
                           static_cast<int>(std::lround(area.y * p.scale)),
                           turned ? p.document.height : p.document.width,
                           turned ? p.document.width : p.document.height};
    return source.Draw(page, m.xdpi * p.scale, m.ydpi * p.scale, region, image, why);
}

void SetPageHeader(pappl_pr_options_t& o, const GrayImage& page, const PlacementMedium& m) {
    cups_page_header2_t& h = o.header;
    h.cupsWidth = static_cast<unsigned>(page.width);
    h.cupsHeight = static_cast<unsigned>(page.height);
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 8;
    h.cupsBytesPerLine = h.cupsWidth;
    h.cupsColorSpace = CUPS_CSPACE_SW;
    h.cupsNumColors = 1;
    h.PageSize[0] = static_cast<unsigned>(page.width * 72 / m.xdpi);
    h.PageSize[1] = static_cast<unsigned>(page.height * 72 / m.ydpi);
}

// A page on a roll is as long as what it prints: the blank paper above and
// below its content is left out (a blank page stays as it is).
void TrimBlankPaper(pappl_job_t* job, int page, GrayImage& printed) {
    const PixelRect rows = PaperRows(printed);
    if (rows.height <= 0 || rows.height == printed.height) return;
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG,
                "Page %d: %d blank rows above and %d below the content left out.", page + 1, rows.y,
                printed.height - rows.y - rows.height);
    printed = CropImage(printed, rows);
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
// the header; the pages left out so far.
struct PageJob {
    pappl_job_t* job;
    pappl_pr_options_t& options;
    PlacementMedium medium;
    PlacementRequest request;
    std::vector<LeftOut> leftOut;
    std::vector<int> fitted;  // label-sized pages fitted to keep their edges
};

bool MuchLarger(const PlacementRequest& r, const PlacementMedium& m) {
    return !m.roll && r.scaling == Scaling::Auto &&
           r.widthIn * r.heightIn >= kMuchLarger * (m.width / m.xdpi) * (m.length / m.ydpi);
}

// The document page's size in inches. With fit-content, or for a page much
// larger than the label, the page is drawn and its label looked for: then
// `content` is the label's part (with fit-content, whatever was found).
bool Measure(PageJob& pj, PageSource& source, int page, PlacementRequest& request,
             GrayImage& content, PixelRect& area, std::string& why) {
    const PlacementMedium& m = pj.medium;
    if (!source.Size(page, request.widthIn, request.heightIn))
        return why = "The page is damaged.", false;
    int width = 0, height = 0;
    const bool pixels = source.Pixels(page, width, height);
    if (request.fitContent || (!pixels && MuchLarger(request, m))) {
        GrayImage drawn;
        if (!source.Draw(page, m.xdpi, m.ydpi, {}, drawn, why)) return false;
        FoundLabel found = FindContent(drawn, m);
        if (request.fitContent || (found.how == FoundLabel::How::Box && found.codes > 0)) {
            if (found.area.width <= 0) found.area = PixelRect{0, 0, drawn.width, drawn.height};
            papplLogJob(pj.job, PAPPL_LOGLEVEL_INFO,
                        "Page %d: printing the %s at %d,%d, %dx%d dots.", page + 1,
                        found.how == FoundLabel::How::Box     ? "ruled label"
                        : found.how == FoundLabel::How::Block ? "block of bar codes"
                                                              : "inked area",
                        found.area.x, found.area.y, found.area.width, found.area.height);
            area = found.area;
            content = CropImage(drawn, area);
            request.fitContent = true;
            request.widthIn = content.width / m.xdpi;
            request.heightIn = content.height / m.ydpi;
            return true;
        }
    }
    if (pixels && MadeForMedium(width, height, m)) {
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
    if (MuchLarger(request, pj.medium)) return;
    const Placement p = PlacePage(request, pj.medium);
    source.Prepare(page + 1, pj.medium.xdpi * p.scale, pj.medium.ydpi * p.scale);
}

// "Page 2", "Pages 2, 5 and 9", at most a few numbers then how many more.
std::string PageList(const std::vector<int>& pages) {
    constexpr size_t kNamed = 8;
    std::string text = pages.size() == 1 ? "Page " : "Pages ";
    for (size_t i = 0; i < pages.size() && i < kNamed; i++) {
        if (i > 0) text += i + 1 == pages.size() ? " and " : ", ";
        text += std::to_string(pages[i] + 1);
    }
    if (pages.size() > kNamed) text += " and " + std::to_string(pages.size() - kNamed) + " more";
    return text;
}

// A label-sized page printed 1:1 would lose the ink at its edges where the
// head does not reach: it is fitted instead, and the job says so.
void TellFitted(PageJob& pj, int page) {
    papplLogJob(pj.job, PAPPL_LOGLEVEL_INFO,
                "Page %d has ink where the head does not reach: fitted to the printable area.",
                page + 1);
    pj.fitted.push_back(page);
    papplJobSetMessage(pj.job,
                       "%s fitted to the printable area: at the label's size, the ink at the "
                       "edges would not print.",
                       PageList(pj.fitted).c_str());
}

// The page placed as the request says, drawn and put on the printed page.
bool DrawPlaced(PageJob& pj, PageSource& source, int page, const PlacementRequest& request,
                GrayImage& content, const PixelRect& area, GrayImage& printed, Placement& p,
                std::string& why) {
    const PlacementMedium& m = pj.medium;
    p = PlacePage(request, m);
    papplLogJob(pj.job, PAPPL_LOGLEVEL_DEBUG,
                "Page %d: %.2fx%.2f in, %d quarter turns, scale %.3f, at %d,%d size %dx%d on a "
                "%dx%d page.",
                page + 1, request.widthIn, request.heightIn, p.turns, p.scale, p.document.x,
                p.document.y, p.document.width, p.document.height, p.pageWidth, p.pageLength);
    const bool drawn = request.fitContent ? RedrawScaled(source, page, m, p, area, content, why)
                                          : source.Draw(page, m.xdpi * p.scale, m.ydpi * p.scale,
                                                        {}, content, why);
    if (!drawn) return false;
    printed = GrayImage(p.pageWidth, p.pageLength);
    DrawScaled(TurnImage(content, p.turns), p.document, printed);
    return true;
}

// The page turned, scaled and placed on the label; false with the reason
// when it cannot be drawn.
bool PlacePageImage(PageJob& pj, PageSource& source, int page, GrayImage& printed, Placement& p,
                    std::string& why) {
    const PlacementMedium& m = pj.medium;
    PlacementRequest request = pj.request;
    GrayImage content;
    PixelRect area;
    if (!Measure(pj, source, page, request, content, area, why) ||
        !DrawPlaced(pj, source, page, request, content, area, printed, p, why))
        return false;
    if (p.fitsIfInked && InkOutside(printed, HeadArea(m))) {
        request.edgesInked = true;
        if (!DrawPlaced(pj, source, page, request, content, area, printed, p, why)) return false;
        TellFitted(pj, page);
    }
    PrepareNext(pj, source, page);
    if (m.roll) TrimBlankPaper(pj.job, page, printed);
    return true;
}

// False when the printer failed, the job was cancelled or the source ended
// it; a page that cannot be drawn is left out.
bool PrintPage(PageJob& pj, PageSource& source, int page, RasterOutput& out, unsigned& number) {
    pappl_job_t* job = pj.job;
    GrayImage printed;
    Placement p;
    std::string why;
    if (!PlacePageImage(pj, source, page, printed, p, why)) {
        if (papplJobIsCanceled(job)) return false;
        if (const std::string end = source.JobEnd(); !end.empty())
            return FailJob(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR,
                           "Printed %d of %d pages. %s", page - int(pj.leftOut.size()),
                           source.Pages(), end.c_str());
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Page %d not printed: %s", page + 1, why.c_str());
        pj.leftOut.push_back({page, why});
        return true;
    }
    SetPageHeader(pj.options, printed, pj.medium);
    for (int copy = 0; copy < std::max(pj.options.copies, 1) && !papplJobIsCanceled(job); copy++) {
        if (!out.Page(printed, ++number)) return false;
        papplJobSetImpressionsCompleted(job, 1);
    }
    return true;
}

// The pages left out, grouped by reason: "Page 3 not printed: why. Pages
// 5 and 9 not printed: why."
std::string LeftOutMessage(const std::vector<LeftOut>& leftOut) {
    std::vector<std::pair<std::string, std::vector<int>>> byReason;
    for (const LeftOut& l : leftOut) {
        auto same = std::find_if(byReason.begin(), byReason.end(),
                                 [&](const auto& r) { return r.first == l.why; });
        if (same == byReason.end()) same = byReason.insert(byReason.end(), {l.why, {}});
        same->second.push_back(l.page);
    }
    std::string text;
    for (const auto& [why, pages] : byReason)
        text += (text.empty() ? "" : " ") + PageList(pages) + " not printed: " + why;
    return text;
}

// A job that left pages out says which; with none printed it failed.
bool TellLeftOut(pappl_job_t* job, const std::vector<LeftOut>& leftOut, int pages) {
    if (leftOut.empty()) return true;
    const std::string text = LeftOutMessage(leftOut);
    if (int(leftOut.size()) == pages)
        return FailJob(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, "%s",
                       pages == 1 ? leftOut[0].why.c_str() : text.c_str());
    const int printed = pages - int(leftOut.size());
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Printed %d of %d pages. %s", printed, pages,
                text.c_str());
    papplJobSetMessage(job, "Printed %d of %d pages. %s", printed, pages, text.c_str());
    papplJobSetReasons(job, PAPPL_JREASON_JOB_COMPLETED_WITH_ERRORS, PAPPL_JREASON_NONE);
    return true;
}
}  // namespace

bool PrintPlacedPages(pappl_job_t* job, pappl_device_t* device, PageSource& source) {
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(papplJobGetPrinter(job)));
    if (!driver) return false;
    pappl_pr_options_t* options =
        papplJobCreatePrintOptions(job, static_cast<unsigned>(source.Pages()), false);
    papplJobSetImpressions(job, source.Pages());
    PageJob pj{job, *options, JobMedium(*driver, *options), JobRequest(job, *options), {}, {}};
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
    return printed && !papplJobIsCanceled(job) ? TellLeftOut(job, pj.leftOut, source.Pages())
                                               : printed;
}

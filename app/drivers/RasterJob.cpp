#include "app/drivers/RasterJob.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/devices/PagePrinted.h"
#include "app/devices/PrinterClaim.h"
#include "app/devices/PrinterWait.h"
#include "app/devices/ReportedModel.h"
#include "app/devices/StatusLink.h"
#include "app/documents/GrayResample.h"
#include "app/documents/InkBounds.h"
#include "app/documents/JobPlacement.h"
#include "app/documents/LabelFinder.h"
#include "app/documents/PageLimits.h"
#include "app/drivers/AppRender.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/JobFailure.h"
#include "app/drivers/LoadedMedium.h"
#include "app/ipp/JobChoices.h"
#include "app/ipp/PaperangSeed.h"
#include "printers/LanguageFactory.h"

namespace {
// One job's render. Pages are painted when they are complete, so a job
// cancelled inside a page sends nothing of that page.
struct RasterJob {
    CStdRefPtr<CBaseRender> render;
    CAppBinding* binding = nullptr;
    const DriverInfo* driver = nullptr;
    int headDots = 0;
    bool pageReady = false;               // the page has an image to paint
    unsigned left = 0;                    // first column of the page that is printed
    bool inkIsHigh = false;               // 8-bit black (255 = full ink) instead of gray
    std::unique_ptr<CStatusLink> status;  // asked before each page
    MediumCheck medium;                   // the page against the loaded medium
    bool mediumTold = false;              // the job says it already
    // A raster page the application places on the label itself (see
    // PlacesPages): kept whole until it ends.
    bool placing = false;
    GrayImage whole;
};

RasterJob* JobOf(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}

const DriverInfo* DriverOf(pappl_job_t* job) {
    return FindDriver(papplPrinterGetDriverName(papplJobGetPrinter(job)));
}

// Refuses a page before any work: PAPPL then aborts the job and reads no
// more of it, and nothing more goes to the device.
bool RefusePage(pappl_job_t* job, RasterJob& state, const char* why) {
    state.binding->discard = true;
    return FailJob(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, "%s", why);
}

// A page header may declare any size: one beyond the printer's largest
// medium would be a label metres long, or hours of blank lines.
bool PageFitsMedium(const RasterJob& state, const cups_page_header2_t& h) {
    // Lines at the driver's resolution, for pages printed at twice as many.
    const unsigned yDpi = h.HWResolution[1] > 0 ? h.HWResolution[1] : 1;
    const uint64_t lines = uint64_t{h.cupsHeight} * static_cast<unsigned>(state.driver->dpi) / yDpi;
    return PageFits(*state.driver, h.cupsWidth, lines);
}

// Pages of raster jobs are placed by the application when the job asks
// for its content fitted, for an explicit print-scaling, or when the page
// is larger than the printer's media (but within the image limit); others
// print as they come, the middle of the page on the head.
bool PlacesPages(pappl_job_t* job, const RasterJob& state, const pappl_pr_options_t& o) {
    const char* format = papplJobGetFormat(job);
    if (!format || (std::strcmp(format, "image/pwg-raster") && std::strcmp(format, "image/urf")))
        return false;
    const cups_page_header2_t& h = o.header;
    if (h.cupsBitsPerPixel != 8 ||
        uint64_t{h.cupsWidth} * h.cupsHeight > ImagePixelLimit(*state.driver))
        return false;
    const PlacementRequest request = JobRequest(job, o);
    return request.fitContent || request.scaling == Scaling::Fit ||
           request.scaling == Scaling::Fill || request.scaling == Scaling::None ||
           !PageFitsMedium(state, h);
}

bool CheckPageSize(pappl_job_t* job, RasterJob& state, const cups_page_header2_t& h) {
    if (state.placing || PageFitsMedium(state, h)) return true;
    const DotSize largest = LargestMedium(*state.driver);
    char why[256];
    std::snprintf(why, sizeof why,
                  "The page of %ux%u dots is larger than the largest medium of this printer "
                  "(%llux%llu dots).",
                  h.cupsWidth, h.cupsHeight, static_cast<unsigned long long>(largest.width),
                  static_cast<unsigned long long>(largest.length));
    return RefusePage(job, state, why);
}

// A raw stream in the printer's own language, passed through untouched.
bool CopyRawFile(pappl_job_t* job, pappl_device_t* device) {
    const int fd = open(papplJobGetFilename(job), O_RDONLY);
    if (fd < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to open the print file.");
        papplJobSetMessage(job, "Unable to open the print file.");
        return false;
    }
    CDeviceOutput output(job, device);
    char buffer[65536];
    ssize_t n = 0;
    while (!papplJobIsCanceled(job) && (n = read(fd, buffer, sizeof buffer)) > 0)
        if (!output.Write(buffer, static_cast<size_t>(n))) break;
    close(fd);
    if (n < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to read the print file.");
        papplJobSetMessage(job, "Unable to read the print file.");
        return false;
    }
    return output.Flush();
}

// A page not of the loaded medium's size is printed with a job message
// that says how (once per job).
void TellMedium(pappl_job_t* job, RasterJob& state) {
    if (state.medium.message.empty() || state.mediumTold) return;
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", state.medium.message.c_str());
    papplJobSetMessage(job, "%s", state.medium.message.c_str());
    state.mediumTold = true;
}

// The content placed on a page of the medium; a label-sized one whose ink
// reaches where the head does not is fitted instead of cut (and the job
// says so).
GrayImage PlaceContent(pappl_job_t* job, const GrayImage& content, PlacementRequest request,
                       const PlacementMedium& m) {
    Placement p = PlacePage(request, m);
    GrayImage page(p.pageWidth, p.pageLength);
    DrawScaled(TurnImage(content, p.turns), p.document, page);
    if (p.fitsIfInked && InkOutside(page, HeadArea(m))) {
        request.edgesInked = true;
        p = PlacePage(request, m);
        page = GrayImage(p.pageWidth, p.pageLength);
        DrawScaled(TurnImage(content, p.turns), p.document, page);
        papplLogJob(job, PAPPL_LOGLEVEL_INFO,
                    "Raster page fitted: its ink reaches where the "
                    "head does not.");
        papplJobSetMessage(job,
                           "Fitted to the printable area: at the label's size, the ink at "
                           "the edges would not print.");
    }
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG,
                "Raster page of %dx%d placed: %d quarter turns, scale %.3f, at %d,%d size %dx%d on "
                "a %dx%d page (margins %d %d %d %d).",
                content.width, content.height, p.turns, p.scale, p.document.x, p.document.y,
                p.document.width, p.document.height, p.pageWidth, p.pageLength, m.left, m.top,
                m.right, m.bottom);
    return page;
}

// The page the client sent, placed on the medium as the job asks, into the
// render's image. A quarter turn the render makes (orientation-requested on
// raster pages) is laid out on the medium turned the other way first.
bool PlaceWholePage(pappl_job_t* job, RasterJob& state, const pappl_pr_options_t& o) {
    const cups_page_header2_t& h = o.header;
    PlacementMedium m = JobMedium(*state.driver, o);
    PlacementRequest request = JobRequest(job, o);
    const auto found = state.binding->choices.find("Rotate");
    const std::string rotate = found == state.binding->choices.end() ? "" : found->second;
    if (!rotate.empty() && rotate != "0") request.turns = 0;
    if (rotate == "2" || rotate == "3") {
        std::swap(m.width, m.length);
        std::swap(m.left, m.top);
        std::swap(m.right, m.bottom);
        std::swap(m.cutLeft, m.cutTop);
        std::swap(m.cutRight, m.cutBottom);
        std::swap(m.xdpi, m.ydpi);
    }
    GrayImage content = std::move(state.whole);
    const double xdpi = h.HWResolution[0] > 0 ? h.HWResolution[0] : m.xdpi;
    const double ydpi = h.HWResolution[1] > 0 ? h.HWResolution[1] : m.ydpi;
    if (request.fitContent) {
        const PixelRect label = m.roll
                                    ? InkBounds(content)
                                    : FindLabel(content, int(std::lround(m.width * xdpi / m.xdpi)),
                                                int(std::lround(m.length * ydpi / m.ydpi)), xdpi)
                                          .area;
        if (label.width > 0) content = CropImage(content, label);
    }
    request.widthIn = content.width / xdpi;
    request.heightIn = content.height / ydpi;
    const GrayImage page = PlaceContent(job, content, request, m);
    const int width = std::min(page.width, state.headDots);
    const int left = (page.width - width) / 2;
    CRasterImage& image = state.render->image;
    if (!image.CreateForRows(uint32_t(width), uint32_t(page.height), 8)) return false;
    for (int y = 0; y < page.height; y++)
        std::memcpy(image.GetBits(uint32_t(y)), page.Row(y) + left, size_t(width));
    image.SetXDPI(static_cast<int>(m.xdpi));
    image.SetYDPI(static_cast<int>(m.ydpi));
    state.render->iDpi = static_cast<int>(m.xdpi);
    return true;
}

}  // namespace

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
    if (!ClaimPrinter(job)) return false;
    const DriverInfo* driver = DriverOf(job);
    CBaseRender* render =
        driver ? CreateRenderFor<CAppRender>(driver->language->modelNumber) : nullptr;
    if (!render) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "No printer language for this printer's driver.");
        ReleasePrinter(job);
        return false;
    }
    auto state = std::make_unique<RasterJob>();
    state->render = MakeRefPtr<CBaseRender>(render);
    state->binding = dynamic_cast<CAppBinding*>(render);
    state->binding->job = job;
    state->binding->output = CDeviceOutput(job, device);
    state->binding->choices = JobChoices(*driver, job, *options);
    state->driver = driver;
    state->headDots = driver->headDots;
    state->status =
        std::make_unique<CStatusLink>(papplJobGetPrinter(job), job, device, state->binding->output);
    render->GetPrinterParameters();
    ApplyPaperangSeed(job, *render);
    render->SetModelName(driver->makeAndModel);
    // A printer that says which model it is prints with that model's sequence.
    if (const std::string model = ReportedModel(job, *state->status, *driver); !model.empty())
        render->SetModelName(model.c_str());
    render->OnStartDoc(0);
    papplJobSetData(job, state.release());
    return true;
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
    RasterJob* state = JobOf(job);
    if (!state) return false;
    const cups_page_header2_t& h = options->header;
    state->placing = PlacesPages(job, *state, *options);
    if (!CheckPageSize(job, *state, h)) return false;
    CBaseRender& r = *state->render;
    state->inkIsHigh = h.cupsColorSpace == CUPS_CSPACE_K;
    if (state->placing) {
        state->whole = GrayImage(static_cast<int>(h.cupsWidth), static_cast<int>(h.cupsHeight));
        state->pageReady = h.cupsBytesPerLine >= h.cupsWidth;
        return true;
    }
    state->medium = CheckLoadedMedium(job, h);
    // Clients send the whole width of the paper; the head prints the middle
    // (of a page to be shrunk, once it is).
    const unsigned width = state->medium.fit
                               ? h.cupsWidth
                               : std::min(h.cupsWidth, static_cast<unsigned>(state->headDots));
    state->left = (h.cupsWidth - width) / 2;
    state->pageReady = h.cupsBitsPerPixel == 8 && h.cupsBytesPerLine >= h.cupsWidth &&
                       CRasterImage::FitsMemoryCap(width, h.cupsHeight, 8) &&
                       r.image.CreateForRows(width, h.cupsHeight, 8);
    if (!state->pageReady) {
        char why[128];
        std::snprintf(why, sizeof why, "A page could not be printed: %ux%u pixels at %u bits.",
                      h.cupsWidth, h.cupsHeight, h.cupsBitsPerPixel);
        return RefusePage(job, *state, why);
    }
    r.iDpi = static_cast<int>(h.HWResolution[0]);
    r.image.SetXDPI(static_cast<int>(h.HWResolution[0]));
    r.image.SetYDPI(static_cast<int>(h.HWResolution[1]));
    return true;
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned y,
                     const unsigned char* line) {
    RasterJob* state = JobOf(job);
    if (!state || !state->pageReady || y >= options->header.cupsHeight) return true;
    if (state->placing) {
        uint8_t* row = state->whole.Row(static_cast<int>(y));
        std::memcpy(row, line, size_t(state->whole.width));
        if (state->inkIsHigh)
            for (int x = 0; x < state->whole.width; x++)
                row[x] = static_cast<uint8_t>(255 - row[x]);
        return true;
    }
    CRasterImage& image = state->render->image;
    uint8_t* row = image.GetBits(y);
    std::memcpy(row, line + state->left, image.GetWidth());
    if (state->inkIsHigh)
        for (uint32_t x = 0; x < image.GetWidth(); x++) row[x] = static_cast<uint8_t>(255 - row[x]);
    return true;
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
    RasterJob* state = JobOf(job);
    if (!state) return false;
    CBaseRender& r = *state->render;
    if (state->placing && state->pageReady)
        state->pageReady = PlaceWholePage(job, *state, *options);
    if (papplJobIsCanceled(job)) state->binding->discard = true;
    // The page is whole now; it goes out once the printer can print it.
    if (state->pageReady && !state->binding->discard && !WaitForPrinter(job, *state->status))
        state->binding->discard = true;
    if (state->pageReady && state->medium.fit &&
        !ShrinkToFit(r.image, state->medium.width, state->medium.height,
                     static_cast<uint32_t>(state->headDots)))
        return RefusePage(job, *state, "Out of memory fitting the page to the loaded medium.");
    const bool painted = state->pageReady && !state->binding->discard;
    if (painted) {
        TellMedium(job, *state);
        r.OnStartPage();
        r.OnBeginBmp();
        r.OnPaintBmp();
        r.OnEndBmp();
    }
    r.OnEndPage();
    if (!state->binding->output.Flush()) return false;
    // The next page, or the job's end, waits until the printer says so.
    return !painted || WaitForPagePrinted(job, *state->status);
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
    std::unique_ptr<RasterJob> state(JobOf(job));
    papplJobSetData(job, nullptr);
    bool ended = false;
    if (state) {
        if (papplJobIsCanceled(job)) state->binding->discard = true;
        state->render->OnEndDoc();
        ended = state->binding->output.Flush();
    }
    ReleasePrinter(job);  // after the job's last bytes
    return ended;
}

bool PrintRawFile(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
    if (!ClaimPrinter(job)) return false;
    // A raw stream is asked about only before it starts: its own commands
    // are not known here.
    CDeviceOutput statusOutput(job, device);
    CStatusLink status(papplJobGetPrinter(job), job, device, statusOutput);
    const bool printed = !WaitForPrinter(job, status) || CopyRawFile(job, device);
    ReleasePrinter(job);
    return printed;
}

#include "app/documents/PdfFilter.h"

#include "app/documents/PageLimits.h"
#include "app/documents/PdfProcess.h"
#include "app/documents/PlacedPages.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/JobFailure.h"

namespace {
class PdfPages : public PageSource {
public:
    explicit PdfPages(PdfProcess& pdf) : m_pdf(pdf) {}
    int Pages() const override { return m_pdf.Pages(); }
    bool Size(int page, double& widthIn, double& heightIn) override {
        widthIn = m_pdf.Size(page).widthIn;
        heightIn = m_pdf.Size(page).heightIn;
        return widthIn > 0 && heightIn > 0;
    }
    bool Draw(int page, double xdpi, double ydpi, const PixelRect& region, GrayImage& image,
              std::string& why) override {
        return m_pdf.Draw(page, xdpi, ydpi, image, why, region);
    }

    void Prepare(int page, double xdpi, double ydpi) override { m_pdf.Prepare(page, xdpi, ydpi); }
    std::string JobEnd() const override { return m_pdf.JobEnded(); }

private:
    PdfProcess& m_pdf;
};

PdfLimits LimitsFor(pappl_job_t* job) {
    pappl_printer_t* printer = papplJobGetPrinter(job);
    PdfLimits limits;
    int width = 0, height = 0;
    papplSystemGetMaxImageSize(papplPrinterGetSystem(printer), &width, &height);
    if (width > 0 && height > 0) limits.side = std::max(width, height);
    if (const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(printer)))
        limits.pixels = ImagePixelLimit(*driver);
    return limits;
}
}  // namespace

bool FilterPdf(pappl_job_t* job, pappl_device_t* device, void* data) {
    const PdfTimeLimits times = data ? *static_cast<const PdfTimeLimits*>(data) : PdfTimeLimits();
    PdfProcess pdf(papplJobGetFilename(job), LimitsFor(job), times,
                   [job] { return papplJobIsCanceled(job); });
    std::string why;
    if (!pdf.Open(why)) {
        if (pdf.Canceled()) return false;
        return FailJob(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, "%s", why.c_str());
    }
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "PDF document of %d pages.", pdf.Pages());
    PdfPages pages(pdf);
    return PrintPlacedPages(job, device, pages);
}

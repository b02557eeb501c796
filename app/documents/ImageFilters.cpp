#include "app/documents/ImageFilters.h"

#include <cstdio>

#include "app/documents/DecodedImage.h"
#include "app/documents/PapplImageJob.h"
#include "app/documents/PdfFilter.h"
#include "app/documents/PlacedPages.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/JobFailure.h"

namespace {
using Decoder = bool (*)(FILE*, ImageJob&, DecodedImage&);

// Decodes the job's file; false once the job has failed or was cancelled.
bool DecodeJobFile(pappl_job_t* job, PapplImageJob& imageJob, Decoder decode, DecodedImage& image) {
    FILE* file = std::fopen(papplJobGetFilename(job), "rb");
    if (!file) return FailJob(job, PAPPL_JREASON_ERRORS_DETECTED, "Unable to open the print file.");
    const bool decoded = decode(file, imageJob, image);
    std::fclose(file);
    return decoded;
}

// A decoded image as a one-page document: its size from its resolution,
// or, without one, from the printer's (images for thermal printers are
// made dot for dot, and one of the label's size in dots is printed so
// whatever resolution it states).
class ImagePage : public PageSource {
public:
    ImagePage(DecodedImage& image, int printerDpi) : m_dpi(image.ppi > 0 ? image.ppi : printerDpi) {
        m_gray = GrayImage(image.width, image.height);
        const size_t count = m_gray.pixels.size();
        if (image.depth == 1) {
            m_gray.pixels.assign(image.pixels.begin(), image.pixels.begin() + long(count));
        } else {
            for (size_t i = 0; i < count; i++) {
                const unsigned char* p = &image.pixels[i * 3];
                m_gray.pixels[i] = static_cast<uint8_t>((p[0] * 54 + p[1] * 183 + p[2] * 19) / 256);
            }
        }
        image.pixels = {};
    }
    int Pages() const override { return 1; }
    bool Size(int, double& widthIn, double& heightIn) override {
        widthIn = m_gray.width / double(m_dpi);
        heightIn = m_gray.height / double(m_dpi);
        return true;
    }
    bool Pixels(int, int& width, int& height) const override {
        width = m_gray.width;
        height = m_gray.height;
        return true;
    }
    bool Draw(int, double, double, const PixelRect&, GrayImage& image, std::string&) override {
        image = m_gray;
        return true;
    }

private:
    int m_dpi;
    GrayImage m_gray;
};

bool PrintImage(pappl_job_t* job, pappl_device_t* device, DecodedImage& image) {
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(papplJobGetPrinter(job)));
    ImagePage page(image, driver ? driver->dpi : 203);
    return PrintPlacedPages(job, device, page);
}
}  // namespace

// PAPPL looks for a filter to the driver's own format before its filters to
// raster, so these are the ones that run. PAPPL keeps one filter per pair of
// formats; families that share a format add it once.
void AddImageFilters(pappl_system_t* system, const PdfTimeLimits* pdfTimes) {
    for (const DriverInfo& driver : Drivers()) {
        papplSystemAddMIMEFilter(system, "image/png", driver.language->rawFormat, FilterPng,
                                 nullptr);
        papplSystemAddMIMEFilter(system, "image/jpeg", driver.language->rawFormat, FilterJpeg,
                                 nullptr);
        papplSystemAddMIMEFilter(system, "application/pdf", driver.language->rawFormat, FilterPdf,
                                 const_cast<PdfTimeLimits*>(pdfTimes));
    }
}

bool FilterPng(pappl_job_t* job, pappl_device_t* device, void*) {
    PapplImageJob imageJob(job);
    DecodedImage image;
    if (!DecodeJobFile(job, imageJob, DecodePng, image)) return false;
    return PrintImage(job, device, image);
}

bool FilterJpeg(pappl_job_t* job, pappl_device_t* device, void*) {
    PapplImageJob imageJob(job);
    DecodedImage image;
    if (!DecodeJobFile(job, imageJob, DecodeJpeg, image)) return false;
    return PrintImage(job, device, image);
}

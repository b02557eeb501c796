#include "app/documents/ImageFilters.h"

#include <cstdio>

#include "app/documents/DecodedImage.h"
#include "app/documents/PapplImageJob.h"
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

bool PrintImage(pappl_job_t* job, pappl_device_t* device, PapplImageJob& imageJob,
                const DecodedImage& image, bool smoothing) {
    return papplJobFilterImage(job, device, imageJob.PrintOptions(image.depth == 3),
                               image.pixels.data(), image.width, image.height, image.depth,
                               image.ppi, smoothing);
}
}  // namespace

// PAPPL looks for a filter to the driver's own format before its filters to
// raster, so these are the ones that run. PAPPL keeps one filter per pair of
// formats; families that share a format add it once.
void AddImageFilters(pappl_system_t* system) {
    for (const DriverInfo& driver : Drivers()) {
        papplSystemAddMIMEFilter(system, "image/png", driver.language->rawFormat, FilterPng,
                                 nullptr);
        papplSystemAddMIMEFilter(system, "image/jpeg", driver.language->rawFormat, FilterJpeg,
                                 nullptr);
    }
}

// The PNG's print options are made after decoding; the JPEG's while
// decoding, as the job's colour decides what it decodes to.
bool FilterPng(pappl_job_t* job, pappl_device_t* device, void*) {
    PapplImageJob imageJob(job);
    DecodedImage image;
    if (!DecodeJobFile(job, imageJob, DecodePng, image)) return false;
    return PrintImage(job, device, imageJob, image, false);
}

bool FilterJpeg(pappl_job_t* job, pappl_device_t* device, void*) {
    PapplImageJob imageJob(job);
    DecodedImage image;
    if (!DecodeJobFile(job, imageJob, DecodeJpeg, image)) return false;
    return PrintImage(job, device, imageJob, image, true);
}

#pragma once

#include <pappl/pappl.h>

#include "app/documents/GrayImage.h"

// A document whose pages the application scales and places on the label
// itself (PNG, JPEG, PDF).
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual int Pages() const = 0;
    // The page's size in inches.
    virtual bool Size(int page, double& widthIn, double& heightIn) = 0;
    // An image's size in pixels (documents without pixels have none).
    virtual bool Pixels(int, int&, int&) const { return false; }
    // The page drawn at about this resolution (images come as they are);
    // false once the job has failed with the reason.
    virtual bool Draw(int page, double xdpi, double ydpi, GrayImage& image) = 0;
    // The page Draw will be asked for next, to start on while the one
    // before prints.
    virtual void Prepare(int, double, double) {}
};

// Prints every page of the document, each on its own label and `copies`
// times: turned, scaled and placed as the job's print-scaling,
// orientation-requested and thermal-fit-content say, then through the
// driver's raster callbacks as 8-bit gray pages.
bool PrintPlacedPages(pappl_job_t* job, pappl_device_t* device, PageSource& source);

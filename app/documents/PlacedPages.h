#pragma once

#include <pappl/pappl.h>

#include <string>

#include "app/documents/GrayImage.h"

// A document whose pages the application scales and places on the label
// itself (PNG, JPEG, PDF).
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual int Pages() const = 0;
    // The page's size in inches; false for a page that has none (damaged).
    virtual bool Size(int page, double& widthIn, double& heightIn) = 0;
    // An image's size in pixels (documents without pixels have none).
    virtual bool Pixels(int, int&, int&) const { return false; }
    // The page drawn at about this resolution, or only `region` of it (in
    // those dots) when that is not empty; images come whole as they are.
    // False with the reason when the page cannot be drawn.
    virtual bool Draw(int page, double xdpi, double ydpi, const PixelRect& region, GrayImage& image,
                      std::string& why) = 0;
    // The page Draw will be asked for next, to start on while the one
    // before prints.
    virtual void Prepare(int, double, double) {}
    // Why the whole job must end now (a bound on the document's time
    // passed), or empty: then a page that cannot be drawn is left out.
    virtual std::string JobEnd() const { return {}; }
};

// Prints every page of the document, each on its own label and `copies`
// times: turned, scaled and placed as the job's print-scaling,
// orientation-requested and thermal-fit-content say, then through the
// driver's raster callbacks as 8-bit gray pages. A page that cannot be
// drawn is left out and the next one printed; the job's message then names
// the pages left out and why (the job is aborted when none printed). A
// failing printer, or a source that says the job must end, stops the job.
bool PrintPlacedPages(pappl_job_t* job, pappl_device_t* device, PageSource& source);

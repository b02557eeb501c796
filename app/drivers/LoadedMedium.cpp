#include "app/drivers/LoadedMedium.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/documents/GrayResample.h"

namespace {
constexpr double kHundredthsPerInch = 2540.0;
constexpr double kSlackMm = 1.0;  // sizes within a millimetre are the same

std::string SizeText(double widthMm, double lengthMm) {
    char text[64];
    if (lengthMm > 0)
        std::snprintf(text, sizeof text, "%.0f x %.0f mm", widthMm, lengthMm);
    else
        std::snprintf(text, sizeof text, "%.0f mm wide", widthMm);
    return text;
}

bool Continuous(const pappl_media_col_t& m) {
    return std::strcmp(m.type, "labels") != 0;
}

// A size (millimetres; length 0 for any) against the loaded medium.
struct Comparison {
    bool differs = false;
    bool fit = false;              // wider than the loaded medium, or longer than its labels
    double width = 0, length = 0;  // the loaded medium; length 0: continuous
};

Comparison Compare(const pappl_media_col_t& loaded, double width, double length) {
    Comparison c;
    c.width = loaded.size_width / 100.0;
    c.length = Continuous(loaded) ? 0 : loaded.size_length / 100.0;
    const bool wider = width > c.width + kSlackMm;
    const bool longer = c.length > 0 && length > c.length + kSlackMm;
    const bool other = c.length > 0 && std::abs(length - c.length) > kSlackMm;
    c.fit = wider || longer;
    c.differs = c.fit || other || std::abs(width - c.width) > kSlackMm;
    return c;
}

std::string LoadedText(const pappl_media_col_t& loaded, const Comparison& c) {
    return std::string(c.length > 0 ? "labels" : "paper") + " loaded (" + loaded.size_name + ", " +
           SizeText(c.width, c.length) + ")";
}
}  // namespace

MediumCheck CheckLoadedMedium(pappl_job_t* job, const cups_page_header2_t& page) {
    MediumCheck check;
    if (!papplJobGetAttribute(job, "media") && !papplJobGetAttribute(job, "media-col"))
        return check;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(papplJobGetPrinter(job), &d);
    const pappl_media_col_t& loaded = d.media_ready[0];
    if (loaded.size_width <= 0 || page.HWResolution[0] == 0 || page.HWResolution[1] == 0)
        return check;
    const double pageWidth = page.cupsWidth * 25.4 / page.HWResolution[0];
    const double pageLength = page.cupsHeight * 25.4 / page.HWResolution[1];
    const Comparison c = Compare(loaded, pageWidth, pageLength);
    if (!c.differs) return check;
    check.fit = c.fit;
    check.width =
        static_cast<uint32_t>(loaded.size_width * page.HWResolution[0] / kHundredthsPerInch);
    check.height =
        c.length > 0
            ? static_cast<uint32_t>(loaded.size_length * page.HWResolution[1] / kHundredthsPerInch)
            : 0;
    check.message = "The page (" + SizeText(pageWidth, pageLength) + ") is not the size of the " +
                    LoadedText(loaded, c) + ": " +
                    (check.fit ? "printed shrunk to fit them." : "printed as it is.");
    return check;
}

std::string AskedMediumMessage(const pappl_media_col_t& loaded, const char* asked, int width,
                               int length) {
    if (loaded.size_width <= 0 || width <= 0) return std::string();
    const Comparison c = Compare(loaded, width / 100.0, length / 100.0);
    if (!c.differs) return std::string();
    return std::string("The job asks for ") + asked + " (" +
           SizeText(width / 100.0, length / 100.0) + ") but the printer has " +
           LoadedText(loaded, c) + ": " +
           (c.fit ? "its pages are shrunk to fit them." : "its pages print as they are.");
}

bool ShrinkToFit(CRasterImage& image, uint32_t width, uint32_t height, uint32_t keep) {
    if (image.GetBpp() != 8 || width == 0 || keep == 0) return false;
    const double across = static_cast<double>(image.GetWidth()) / width;
    const double along = height ? static_cast<double>(image.GetHeight()) / height : 0;
    const double scale = std::max({across, along, 1.0});
    const uint32_t w = std::max(1u, static_cast<uint32_t>(image.GetWidth() / scale));
    const uint32_t h = std::max(1u, static_cast<uint32_t>(image.GetHeight() / scale));
    const uint32_t outW = std::min(width, keep), outH = height ? height : h;
    CRasterImage fitted;
    if (!CRasterImage::FitsMemoryCap(outW, outH, 8) || !fitted.CreateForRows(outW, outH, 8))
        return false;
    GrayImage page(static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()));
    for (int y = 0; y < page.height; y++)
        std::memcpy(page.Row(y), image.GetBits(static_cast<uint32_t>(y)), size_t(page.width));
    // The shrunk page centred on the medium, of which the kept columns print.
    GrayImage out(static_cast<int>(outW), static_cast<int>(outH));
    const int shift =
        (static_cast<int>(width) - static_cast<int>(w)) / 2 - static_cast<int>(width - outW) / 2;
    const int top = (static_cast<int>(outH) - static_cast<int>(std::min(h, outH))) / 2;
    DrawScaled(page, {shift, top, static_cast<int>(w), static_cast<int>(h)}, out);
    for (int y = 0; y < out.height; y++)
        std::memcpy(fitted.GetBits(static_cast<uint32_t>(y)), out.Row(y), size_t(out.width));
    fitted.SetXDPI(image.GetXDPI());
    fitted.SetYDPI(image.GetYDPI());
    return image.Transfer(fitted);
}

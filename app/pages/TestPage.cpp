#include "app/pages/TestPage.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/pages/GrayPngWriter.h"
#include "app/pages/TestPageImage.h"

namespace {
// Hundredths of millimetres to dots, rounded down as PAPPL sizes its pages.
int Dots(int hundredths, int dpi) {
    return hundredths * dpi / 2540;
}

// The printed area as PAPPL lays an image out on the page: the page less
// its margins, so that the picture prints dot for dot, unscaled.
TestPageArea AreaOf(const pappl_media_col_t& m, int dpi) {
    TestPageArea a;
    a.dpi = dpi;
    a.left = Dots(m.left_margin, dpi);
    a.top = Dots(m.top_margin, dpi);
    a.width = Dots(m.size_width, dpi) - Dots(m.left_margin + m.right_margin, dpi);
    a.height = Dots(m.size_length, dpi) - Dots(m.top_margin + m.bottom_margin, dpi);
    return a;
}

// The picture on the whole page, its margins white: the application prints
// an image of the page's size dot for dot, where it is drawn.
GrayCanvas OnWholePage(const GrayCanvas& picture, const TestPageArea& a,
                       const pappl_media_col_t& m) {
    GrayCanvas page(Dots(m.size_width, a.dpi), Dots(m.size_length, a.dpi));
    const int width = std::min(picture.width, page.width - a.left);
    for (int y = 0; y < picture.height && a.top + y < page.height && width > 0; y++)
        std::memcpy(&page.pixels[size_t(a.top + y) * size_t(page.width) + size_t(a.left)],
                    &picture.pixels[size_t(y) * size_t(picture.width)], size_t(width));
    return page;
}

std::string DefaultOf(pappl_printer_t* printer, const char* option) {
    ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
    const std::string name = std::string(option) + "-default";
    const char* value =
        ippGetString(ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO), 0, nullptr);
    std::string text = value ? value : "";
    ippDelete(attrs);
    return text;
}

std::vector<std::string> LinesOf(pappl_printer_t* printer, const pappl_pr_driver_data_t& d) {
    const pappl_media_col_t& m = d.media_default;
    char size[64];
    std::snprintf(size, sizeof size, "%.1f x %.1f mm", m.size_width / 100.0, m.size_length / 100.0);
    const char* driver = papplPrinterGetDriverName(printer);
    return {
        std::string("Printer: ") + papplPrinterGetName(printer),
        std::string("Driver: ") + (driver ? driver : ""),
        "Resolution: " + std::to_string(d.x_default) + " dpi",
        std::string("Media: ") + m.size_name + ", " + size,
        "Dither: " + DefaultOf(printer, "thermal-dither"),
        d.make_and_model,
    };
}

// A new file of our own in PAPPL's temporary folder, which PAPPL removes
// with the job.
bool WriteFile(pappl_printer_t* printer, const GrayCanvas& page, int dpi, char* buffer,
               size_t size) {
    std::snprintf(buffer, size, "%s/test-page-%d-XXXXXX.png", papplGetTempDir(),
                  papplPrinterGetID(printer));
    const int fd = mkstemps(buffer, 4);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        if (fd >= 0) close(fd);
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "Unable to create the test page file.");
        return false;
    }
    const bool written = WriteGrayPng(file, page, dpi);
    if (std::fclose(file) == 0 && written) return true;
    unlink(buffer);
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "Unable to write the test page file.");
    return false;
}
}  // namespace

const char* MakeTestPage(pappl_printer_t* printer, char* buffer, size_t size) {
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    const TestPageArea area = AreaOf(d.media_default, d.x_default);
    if (area.width <= 0 || area.height <= 0) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "No test page: the default media is empty.");
        return nullptr;
    }
    const GrayCanvas page =
        OnWholePage(DrawTestPage(area, LinesOf(printer, d)), area, d.media_default);
    return WriteFile(printer, page, d.x_default, buffer, size) ? buffer : nullptr;
}

#include "app/documents/PdfReader.h"

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// poppler's complaints about damaged files go nowhere: the job's message
// says what matters.
void Quiet(const std::string&, void*) {}

std::string Sized(const char* text, double a, double b) {
    char line[256];
    std::snprintf(line, sizeof line, text, a, b);
    return line;
}
}  // namespace

PdfReader::PdfReader() {
    poppler::set_debug_error_function(Quiet, nullptr);
}

PdfReader::~PdfReader() = default;

bool PdfReader::OpenFile(const std::string& path, std::string& why) {
    m_document.reset(poppler::document::load_from_file(path));
    return Check(why);
}

bool PdfReader::OpenData(const char* data, int size, std::string& why) {
    m_document.reset(poppler::document::load_from_raw_data(data, size));
    return Check(why);
}

bool PdfReader::Check(std::string& why) {
    if (!m_document) {
        why = "The PDF file is damaged or not a PDF file.";
        return false;
    }
    if (m_document->is_locked()) {
        why = "The PDF file is protected by a password; print it without one.";
        return false;
    }
    if (m_document->pages() <= 0) {
        why = "The PDF file has no pages.";
        return false;
    }
    return true;
}

int PdfReader::Pages() const {
    return m_document ? m_document->pages() : 0;
}

bool PdfReader::Size(int index, PdfPageSize& size, std::string& why) const {
    std::unique_ptr<poppler::page> page(m_document ? m_document->create_page(index) : nullptr);
    if (!page) {
        why = "A page of the PDF file is damaged.";
        return false;
    }
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    double w = std::fabs(box.width()) / 72.0, h = std::fabs(box.height()) / 72.0;
    const poppler::page::orientation_enum turn = page->orientation();
    if (turn == poppler::page::landscape || turn == poppler::page::seascape) std::swap(w, h);
    if (!(w > 0.01 && h > 0.01) || !std::isfinite(w) || !std::isfinite(h)) {
        why = "A page of the PDF file has no size.";
        return false;
    }
    size = {w, h};
    return true;
}

bool PdfReader::Draw(int index, double xdpi, double ydpi, const PdfLimits& limits, GrayImage& image,
                     std::string& why, const PixelRect& region) const {
    PdfPageSize size;
    if (!Size(index, size, why)) return false;
    const double w = std::ceil(size.widthIn * xdpi), h = std::ceil(size.heightIn * ydpi);
    PixelRect r{0, 0, int(std::min(w, 1e9)), int(std::min(h, 1e9))};
    if (region.width > 0 && region.height > 0) {
        const int right = std::min(region.x + region.width, r.width);
        const int bottom = std::min(region.y + region.height, r.height);
        r = {std::max(region.x, 0), std::max(region.y, 0), 0, 0};
        r.width = right - r.x, r.height = bottom - r.y;
        if (r.width <= 0 || r.height <= 0)
            return why = "A page of the PDF file could not be drawn.", false;
    }
    if (r.width > limits.side || r.height > limits.side ||
        double(r.width) * r.height > double(limits.pixels)) {
        why = Sized("A page of the PDF file is too large to print (%.0f x %.0f mm).",
                    size.widthIn * 25.4, size.heightIn * 25.4);
        return false;
    }
    std::unique_ptr<poppler::page> page(m_document->create_page(index));
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    const poppler::image drawn =
        region.width > 0 ? renderer.render_page(page.get(), xdpi, ydpi, r.x, r.y, r.width, r.height)
                         : renderer.render_page(page.get(), xdpi, ydpi);
    if (!drawn.is_valid() || drawn.format() != poppler::image::format_gray8 || drawn.width() <= 0 ||
        drawn.height() <= 0 || drawn.width() > limits.side || drawn.height() > limits.side) {
        why = "A page of the PDF file could not be drawn.";
        return false;
    }
    image = GrayImage(drawn.width(), drawn.height());
    for (int y = 0; y < image.height; y++)
        std::memcpy(image.Row(y), drawn.const_data() + size_t(y) * size_t(drawn.bytes_per_row()),
                    size_t(image.width));
    return true;
}

#include "support/PdfFiles.h"

#include <cstdio>

namespace {
std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}
}  // namespace

std::vector<uint8_t> MakePdf(const std::vector<PdfPage>& pages, const std::string& trailerExtra) {
    std::vector<std::string> objects = {"", ""};  // catalog, page tree
    std::string kids;
    for (const PdfPage& page : pages) {
        objects.push_back("<< /Length " + std::to_string(page.content.size()) + " >>\nstream\n" +
                          page.content + "\nendstream");
        const size_t content = objects.size();
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(page.widthPt) +
                          " " + Number(page.heightPt) + "] /Contents " + std::to_string(content) +
                          " 0 R >>");
        kids += std::to_string(objects.size()) + " 0 R ";
    }
    objects[0] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>";
    std::string out = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); i++) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R " +
           trailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::string DotRects(double pageHeightPt, int dpi, const std::vector<std::vector<int>>& rects) {
    const double s = 72.0 / dpi;
    std::string content = "0 g\n";
    for (const std::vector<int>& r : rects)
        content += Number(r[0] * s) + " " + Number(pageHeightPt - (r[1] + r[3]) * s) + " " +
                   Number(r[2] * s) + " " + Number(r[3] * s) + " re f\n";
    return content;
}

std::vector<std::vector<int>> Frame(int w, int h, int inset, int t) {
    const int iw = w - 2 * inset, ih = h - 2 * inset;
    return {{inset, inset, iw, t},
            {inset, h - inset - t, iw, t},
            {inset, inset, t, ih},
            {w - inset - t, inset, t, ih}};
}

// Documents placed on the label by the printer application: PDF, PNG and
// JPEG pages turned, scaled and centred as print-scaling,
// orientation-requested and thermal-fit-content say, checked on the dots the
// printer receives (decoded by the preview decoder).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/AppServer.h"
#include "support/ImageFiles.h"
#include "support/PdfFiles.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"
#include "tools/preview/StreamDecoder.h"

namespace {
constexpr int kDpi = 203;
constexpr double kLabelW = 288, kLabelH = 432;  // 4 x 6 in, in points
constexpr int kDotsW = 812, kDotsH = 1218;      // the same at 203 dpi
constexpr double kLetterW = 612, kLetterH = 792;
constexpr double kA4W = 595.28, kA4H = 841.89;

struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;
};

Box InkBox(const tagDecodedPage& page) {
    Box b{int(page.width), int(page.height), -1, -1};
    for (uint32_t y = 0; y < page.height; y++)
        for (uint32_t x = 0; x < page.width; x++)
            if (page.IsBlack(x, y)) {
                b.left = std::min(b.left, int(x));
                b.right = std::max(b.right, int(x));
                b.top = std::min(b.top, int(y));
                b.bottom = std::max(b.bottom, int(y));
            }
    return b;
}

// A carrier-style 4 x 6 in label: a frame 20 dots in, bars, and a block in
// its top-left corner that shows which way it was turned.
std::string LabelContent(double heightPt, int dx = 0, int dy = 0) {
    std::vector<std::vector<int>> rects = Frame(kDotsW, kDotsH, 20, 4);
    for (int i = 0; i < 12; i++) rects.push_back({80 + i * 24, 400, 2 + (i % 3) * 3, 300});
    rects.push_back({40, 40, 100, 50});
    for (auto& r : rects) r[0] += dx, r[1] += dy;
    return DotRects(heightPt, kDpi, rects);
}

// The same drawn across a 6 x 4 in page, turned a quarter clockwise: the
// corner block at the top-right.
std::string LandscapeContent() {
    std::vector<std::vector<int>> rects = Frame(kDotsH, kDotsW, 20, 4);
    rects.push_back({kDotsH - 90, 40, 50, 100});
    return DotRects(kLabelW, kDpi, rects);
}

std::string WritePdf(const std::vector<PdfPage>& pages, const std::string& extra = "") {
    const std::string path = TempDir::Shared().NewPath("doc") + ".pdf";
    WriteFileBytes(path, MakePdf(pages, extra));
    return path;
}

std::string WritePng(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels) {
    const std::string path = TempDir::Shared().NewPath("image") + ".png";
    WriteFileBytes(path, GrayPng(w, h, pixels));
    return path;
}

// White with a black line one pixel wide at column x.
std::string ThinLinePng(uint32_t w, uint32_t h, uint32_t x) {
    std::vector<uint8_t> pixels(size_t(w) * h, 255);
    for (uint32_t y = 0; y < h; y++) pixels[size_t(y) * w + x] = 0;
    return WritePng(w, h, pixels);
}

// White with a black frame `inset` pixels in from the edges, 4 thick.
std::string FramePng(int w, int h, int inset) {
    std::vector<uint8_t> pixels(size_t(w) * h, 255);
    for (const auto& r : Frame(w, h, inset, 4))
        for (int y = r[1]; y < r[1] + r[3]; y++)
            for (int x = r[0]; x < r[0] + r[2]; x++) pixels[size_t(y) * w + x] = 0;
    return WritePng(w, h, pixels);
}

// One printer per driver the rows use, on one server; a document in, its
// job's end state and the pages the printer received out.
class LabelRunner {
public:
    struct Result {
        ipp_jstate_t state = IPP_JSTATE_PENDING;
        std::string message;
        std::vector<tagDecodedPage> pages;
    };

    Result Print(const std::string& driver, const std::string& file, const std::string& format,
                 const AppServer::Options& options = {}) {
        if (!m_added.count(driver)) m_added[driver] = m_app.AddPrinter(driver, driver);
        Result r;
        if (!m_added[driver]) return r;
        const size_t before = m_app.DeviceBytes(driver).size();
        const int id = m_app.Print(driver, file, format, options);
        if (id <= 0) return r;
        r.state = m_app.WaitForJob(driver, id, 60000);
        r.message = m_app.JobStateMessage(driver, id);
        const std::vector<uint8_t> all = m_app.DeviceBytes(driver);
        if (all.size() > before) {
            const tagDecodeResult d = DecodeStream(all.data() + before, all.size() - before, {});
            for (const tagDecodedPage& p : d.pages)
                if (p.HasBitmap()) r.pages.push_back(p);
        }
        return r;
    }
    AppServer& App() { return m_app; }
    // Loads the medium in the driver's printer (added if new).
    void Load(const std::string& driver, const char* media) {
        if (!m_added.count(driver)) m_added[driver] = m_app.AddPrinter(driver, driver);
        ipp_t* request = m_app.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, driver);
        for (const char* attr : {"media-default", "media-ready"})
            ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, attr, nullptr, media);
        ippDelete(m_app.Send(request, "/ipp/print/" + driver));
    }

private:
    AppServer m_app;
    std::map<std::string, bool> m_added;
};

LabelRunner& Runner() {
    static LabelRunner runner;
    return runner;
}

// Where the ink lands: each row's document on its driver, the pages that
// print and the ink's bounding box on each (within `slack` dots), and a dot
// that must be black (the turned corner block).
TEST(AppLabels, DocumentsLandWhereTheLabelWantsThem) {
    const std::string label = WritePdf({{kLabelW, kLabelH, LabelContent(kLabelH)}});
    const std::string letter = WritePdf({{kLetterW, kLetterH, LabelContent(kLetterH)}});
    const std::string a4 = WritePdf({{kA4W, kA4H, LabelContent(kA4H)}});
    const std::string landscape = WritePdf({{kLabelH, kLabelW, LandscapeContent()}});
    const std::string threePages = WritePdf({{kLabelW, kLabelH, LabelContent(kLabelH)},
                                             {kLabelW, kLabelH, LabelContent(kLabelH)},
                                             {kLabelW, kLabelH, LabelContent(kLabelH)}});
    // A 2 x 1 in label's content on a 4 x 6 in page, somewhere in the middle.
    const std::string small =
        WritePdf({{kLabelW, kLabelH, DotRects(kLabelH, kDpi, Frame(406, 203, 0, 6))}});
    const Box frame{20, 20, 791, 1197};
    struct Row {
        const char* what;
        const char* driver;
        std::string file;
        AppServer::Options options;
        size_t pages;
        Box ink;
        int slack;
        int blackX = -1, blackY = -1;
        const char* message = nullptr;  // a part of the job's message
    };
    Runner().Load("brother_ql", "om_dk-11209-small-address_62x29mm");
    const Row rows[] = {
        {"4x6 PDF on TSPL: 1:1", "tspl_203", label, {}, 1, frame, 1, 64, 64},
        {"4x6 PDF on ZPL: 1:1", "zpl_203", label, {}, 1, frame, 1, 64, 64},
        {"4x6 PDF on EPL2: 1:1", "epl_203", label, {}, 1, frame, 1, 64, 64},
        {"4x6 PDF with print-scaling=none",
         "tspl_203",
         label,
         {{"print-scaling", "none"}},
         1,
         frame,
         1},
        {"4x6 PDF with print-scaling=auto-fit",
         "tspl_203",
         label,
         {{"print-scaling", "auto-fit"}},
         1,
         frame,
         1},
        {"4x6 PDF with print-scaling=fit: 1:1, the head prints to the edges",
         "tspl_203",
         label,
         {{"print-scaling", "fit"}},
         1,
         frame,
         1},
        // 62 x 29 mm pictures at 300 dpi: the head prints 696 of the label's
        // 732 dots and 271 of its 342 lines, centred.
        {"DK-11209 picture framed inside the head's reach: 1:1",
         "brother_ql",
         FramePng(732, 342, 40),
         {},
         1,
         Box{22, 5, 673, 266},
         0},
        {"DK-11209 picture framed at its edge: fitted, its frame whole",
         "brother_ql",
         FramePng(732, 342, 0),
         {},
         1,
         Box{59, 1, 636, 270},
         1,
         -1,
         -1,
         "Page 1 fitted to the printable area"},
        {"the same with print-scaling=fit",
         "brother_ql",
         FramePng(732, 342, 0),
         {{"print-scaling", "fit"}},
         1,
         Box{59, 1, 636, 270},
         1},
        {"three 4x6 pages: three labels", "tspl_203", threePages, {}, 3, frame, 1},
        {"6x4 PDF on a 4x6 label: turned", "tspl_203", landscape, {}, 1, frame, 1, 64, 64},
        {"6x4 PDF, orientation-requested=reverse-landscape",
         "tspl_203",
         landscape,
         {{"orientation-requested", "5"}},
         1,
         frame,
         1,
         720,
         1150},
        {"Letter page, fit-content: the ruled label dot for dot",
         "tspl_203",
         letter,
         {{"thermal-fit-content", "on"}},
         1,
         frame,
         1},
        {"A4 page, fit-content", "zpl_203", a4, {{"thermal-fit-content", "on"}}, 1, frame, 1},
        {"Letter page, without fit-content: shrunk whole",
         "tspl_203",
         letter,
         {},
         1,
         Box{-1, -1, -1, -1},
         0},
        {"2x1 frame on a 4x6 page, fit-content: turned and fitted",
         "tspl_203",
         small,
         {{"thermal-fit-content", "on"}},
         1,
         Box{105, 8, 705, 1209},
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const LabelRunner::Result r = Runner().Print(
            row.driver, row.file, row.file.ends_with(".png") ? "image/png" : "application/pdf",
            row.options);
        EXPECT_EQ(r.state, IPP_JSTATE_COMPLETED) << r.message;
        if (row.message) {
            EXPECT_NE(r.message.find(row.message), std::string::npos) << r.message;
        }
        ASSERT_EQ(r.pages.size(), row.pages);
        for (const tagDecodedPage& page : r.pages) {
            const Box b = InkBox(page);
            if (row.ink.left >= 0) {
                EXPECT_NEAR(b.left, row.ink.left, row.slack);
                EXPECT_NEAR(b.top, row.ink.top, row.slack);
                EXPECT_NEAR(b.right, row.ink.right, row.slack);
                EXPECT_NEAR(b.bottom, row.ink.bottom, row.slack);
            }
            if (row.blackX >= 0) {
                EXPECT_TRUE(page.IsBlack(row.blackX, row.blackY));
            }
        }
        if (row.ink.left < 0 && !r.pages.empty()) {
            // The whole Letter page on the label: the frame is 772 of 1726
            // dots wide there, about 45 % of the label's width.
            const Box b = InkBox(r.pages[0]);
            EXPECT_NEAR(b.right - b.left, 772 * 796 / 1726, 4);
        }
    }
}

// Images: dot for dot when made for the label, centred to the dot; thin
// lines kept when scaled down.
TEST(AppLabels, ImagesPrintDotForDotAndKeepThinLines) {
    LabelRunner& runner = Runner();
    {
        SCOPED_TRACE("docs/preview-label.png on tspl_203");
        uint32_t w = 0, h = 0;
        std::vector<uint8_t> source;
        const std::string png = std::string(DATA_DIR) + "/../../docs/preview-label.png";
        ASSERT_TRUE(ReadGrayPng(png.c_str(), w, h, source));
        ASSERT_EQ(w, 832u);
        const LabelRunner::Result r = runner.Print("tspl_203", png, "image/png");
        ASSERT_EQ(r.pages.size(), 1u);
        const tagDecodedPage& page = r.pages[0];
        ASSERT_EQ(page.height, h);
        // The 832 dots wide image on the 812 dots wide label: 10 cut at each side.
        int differ = 0;
        for (uint32_t y = 0; y < h; y++)
            for (uint32_t x = 0; x < uint32_t(kDotsW); x++)
                differ += page.IsBlack(x, y) != (source[size_t(y) * w + x + 10] < 128);
        EXPECT_EQ(differ, 0);
    }
    {
        SCOPED_TRACE("a label-size PNG stating 72 dpi: still dot for dot");
        std::vector<uint8_t> pixels(size_t(kDotsW) * kDotsH, 255);
        for (const auto& r : Frame(kDotsW, kDotsH, 20, 4))
            for (int y = r[1]; y < r[1] + r[3]; y++)
                for (int x = r[0]; x < r[0] + r[2]; x++) pixels[size_t(y) * kDotsW + x] = 0;
        const std::string png = TempDir::Shared().NewPath("label72") + ".png";
        WriteFileBytes(png, WithPngResolution(GrayPng(kDotsW, kDotsH, pixels), 72));
        const LabelRunner::Result r = runner.Print("tspl_203", png, "image/png");
        ASSERT_EQ(r.pages.size(), 1u);
        const Box b = InkBox(r.pages[0]);
        EXPECT_EQ(b.left, 20);
        EXPECT_EQ(b.top, 20);
        EXPECT_EQ(b.right, 791);
        EXPECT_EQ(b.bottom, 1197);
    }
    {
        SCOPED_TRACE("1-pixel line in an image scaled to half its size");
        const std::string png = ThinLinePng(1624, 600, 801);
        const LabelRunner::Result r = runner.Print("tspl_203", png, "image/png",
                                                   {{"print-scaling", "fit"},
                                                    {"orientation-requested", "3"},
                                                    {"thermal-dither", "threshold"}});
        ASSERT_EQ(r.pages.size(), 1u);
        const tagDecodedPage& page = r.pages[0];
        int best = 0;
        for (uint32_t x = 380; x < 430; x++) {
            int black = 0;
            for (uint32_t y = 0; y < page.height; y++) black += page.IsBlack(x, y);
            best = std::max(best, black);
        }
        EXPECT_GE(best, 280);  // the line, 600 * 796 / 1624 = 294 dots long
    }
}

// What zbarimg reads on a printed page ("QR-Code:..." per code); nullopt
// without zbarimg.
std::optional<std::set<std::string>> ReadCodes(const tagDecodedPage& page) {
    if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) return std::nullopt;
    std::vector<uint8_t> pixels(size_t(page.width) * page.height);
    for (uint32_t y = 0; y < page.height; y++)
        for (uint32_t x = 0; x < page.width; x++)
            pixels[size_t(y) * page.width + x] = page.IsBlack(x, y) ? 0 : 255;
    const std::string png = TempDir::Shared().NewPath("printed") + ".png";
    WriteFileBytes(png, GrayPng(page.width, page.height, pixels));
    std::set<std::string> codes;
    FILE* out = popen(("zbarimg -q " + png + " 2>/dev/null").c_str(), "r");
    char line[512];
    while (out && std::fgets(line, sizeof line, out)) {
        std::string code = line;
        code.erase(code.find_last_not_of("\r\n") + 1);
        codes.insert(code);
    }
    if (out) pclose(out);
    return codes;
}

// The widths of the bars and spaces of a linear code's row: the longest
// stretch of runs up to 4 modules of 3 dots (a frame and the quiet zone
// left out), in the row with the most among those the same as the row 100
// dots below (bars, not text).
std::vector<int> CodeRowRuns(const tagDecodedPage& page) {
    std::vector<int> best;
    for (uint32_t y = 0; y + 100 < page.height; y++) {
        bool same = true;
        for (uint32_t x = 0; x < page.width && same; x++)
            same = page.IsBlack(x, y) == page.IsBlack(x, y + 100);
        if (!same) continue;
        std::vector<int> runs;
        uint32_t x = 0;
        while (x < page.width && !page.IsBlack(x, y)) x++;
        while (x < page.width) {
            const bool black = page.IsBlack(x, y);
            uint32_t end = x;
            while (end < page.width && page.IsBlack(end, y) == black) end++;
            runs.push_back(int(end - x));
            x = end;
        }
        std::vector<int> stretch;
        for (int w : runs) {
            if (w <= 12) stretch.push_back(w);
            if (stretch.size() > best.size()) best = stretch;
            if (w > 12) stretch.clear();
        }
    }
    return best;
}

// Carrier pages (tests/data/make-carrier-pdfs.py): the label found on the
// page prints alone, its codes scan, and a label of the loaded label's size
// keeps its Code 128's 3-dot modules; content much smaller is enlarged; a
// page that cannot be drawn is left out, named, and the others print.
TEST(AppLabels, CarrierPagesPrintTheirLabel) {
    const std::string data = DATA_DIR;
    const std::set<std::string> label{"CODE-128:1Z999AA10123456784",
                                      "QR-Code:https://track.example/1Z999AA10123456784"};
    const std::set<std::string> small{"QR-Code:RETURN 58-2231"};
    const AppServer::Options fit{{"thermal-fit-content", "on"}};
    struct Row {
        const char* what;
        const char* file;
        AppServer::Options options;
        ipp_jstate_t state;
        std::vector<std::set<std::string>> codes;  // per printed page
        bool dotForDot;                            // the Code 128 in whole 3-dot modules
        const char* message = "";
    };
    const Row rows[] = {
        {"Letter, label top-left, instructions beside and below",
         "carrier-letter-upright.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {label},
         true},
        {"the same without fit-content (a ruled label with codes)",
         "carrier-letter-upright.pdf",
         {},
         IPP_JSTATE_COMPLETED,
         {label},
         true},
        {"Letter, label turned above a dashed fold line",
         "carrier-letter-turned.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {label},
         true},
        {"A4, label beside a receipt with its own code",
         "carrier-a4-receipt.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {label},
         true},
        {"Letter, label without a frame above a cut line",
         "carrier-letter-unframed.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {label},
         true},
        {"1 in QR label on a 4x6 page: enlarged",
         "small-qr-4x6.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {small},
         false},
        {"three pages, the middle one too large to draw",
         "carrier-job-3p.pdf",
         fit,
         IPP_JSTATE_COMPLETED,
         {label, small},
         false,
         "Printed 2 of 3 pages. Page 2 not printed: A page of the PDF file is too large"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const LabelRunner::Result r =
            Runner().Print("tspl_203", data + "/" + row.file, "application/pdf", row.options);
        EXPECT_EQ(r.state, row.state) << r.message;
        EXPECT_NE(r.message.find(row.message), std::string::npos) << r.message;
        ASSERT_EQ(r.pages.size(), row.codes.size());
        for (size_t i = 0; i < r.pages.size(); i++) {
            const std::optional<std::set<std::string>> codes = ReadCodes(r.pages[i]);
            if (codes) {
                EXPECT_EQ(*codes, row.codes[i]);
            }
            if (!row.dotForDot) continue;
            const std::vector<int> runs = CodeRowRuns(r.pages[i]);
            EXPECT_GE(runs.size(), 60u);
            EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](int w) { return w % 3 == 0; }))
                << ::testing::PrintToString(runs);
        }
        if (row.codes == std::vector<std::set<std::string>>{small}) {
            // Enlarged to the label: the QR and its line of text fill its width.
            const Box b = InkBox(r.pages[0]);
            EXPECT_GE(b.right - b.left, 700);
        }
    }
    // `jobs` says which pages the three-page job left out.
    std::string jobs;
    Runner().App().Command({"jobs", "-d", "tspl_203"}, &jobs);
    EXPECT_NE(jobs.find(" (Printed 2 of 3 pages. Page 2 not printed"), std::string::npos) << jobs;
    if (!ReadCodes(tagDecodedPage{})) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
}

// On a roll a page is as long as its content: the white paper above and
// below it is not printed, whatever the document's page length; a label
// keeps its length.
TEST(AppLabels, ReceiptsAreAsLongAsTheirContent) {
    // 58 x 200 mm with 90 mm (719 dots) of content from 25 mm down.
    const double receiptW = 164.41, receiptH = 566.93;
    const std::vector<std::vector<int>> lines = {
        {60, 200, 340, 4}, {60, 500, 200, 30}, {60, 915, 340, 4}};
    const std::string pdf = WritePdf({{receiptW, receiptH, DotRects(receiptH, kDpi, lines)}});
    // A PNG of 384 x 600 pixels, its content in rows 100 to 449.
    std::vector<uint8_t> pixels(384u * 600u, 255);
    for (uint32_t y : {100u, 101u})
        for (uint32_t x = 0; x < 384; x++) pixels[y * 384 + x] = 0;
    for (uint32_t y = 150; y < 450; y++)
        for (uint32_t x = 100; x < 300; x++) pixels[y * 384 + x] = 40;
    const std::string png = WritePng(384, 600, pixels);
    const std::string label = WritePdf({{kLabelW, kLabelH, DotRects(kLabelH, kDpi, lines)}});
    const struct {
        const char* what;
        const char* driver;
        std::string file;
        const char* format;
        int height;  // the printed page in rows (a cat printer's 10 mm feed is paper too)
        int inkTop, inkBottom;
        int slack;
    } rows[] = {
        {"58 x 200 mm receipt PDF", "escpos_58", pdf, "application/pdf", 719, 0, 718, 1},
        {"the same on a cat printer", "cat_203", pdf, "application/pdf", 719 + 80, 0, 718, 1},
        {"PNG with white margins", "escpos_58", png, "image/png", 350, 0, 349, 0},
        {"PNG on Paperang", "paperang_203", png, "image/png", 350, 0, 349, 0},
        {"4x6 label PDF: the label's length", "tspl_203", label, "application/pdf", 1218, 200, 918,
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const LabelRunner::Result r = Runner().Print(row.driver, row.file, row.format);
        EXPECT_EQ(r.state, IPP_JSTATE_COMPLETED) << r.message;
        ASSERT_EQ(r.pages.size(), 1u);
        EXPECT_NEAR(int(r.pages[0].height), row.height, row.slack);
        const Box b = InkBox(r.pages[0]);
        EXPECT_NEAR(b.top, row.inkTop, row.slack);
        EXPECT_NEAR(b.bottom, row.inkBottom, row.slack);
    }
}

// A PWG raster page with black rectangles in dots.
std::string WritePwg(unsigned w, unsigned h, const std::vector<std::vector<int>>& rects,
                     unsigned dpi = 203) {
    TestPage page = MakePage(w, h, 255, 8, dpi);
    for (const auto& r : rects)
        for (int y = r[1]; y < r[1] + r[3]; y++)
            for (int x = r[0]; x < r[0] + r[2]; x++) page.SetGray(unsigned(x), unsigned(y), 0);
    const std::string path = TempDir::Shared().NewPath("page") + ".pwg";
    WriteFileBytes(path, MakePwgRaster({page}));
    return path;
}

// Raster pages are placed when the job asks (fit-content, an explicit
// print-scaling) or when they are larger than the printer's media; a page
// of the label's size prints as it comes.
TEST(AppLabels, RasterPagesArePlacedWhenAsked) {
    const std::vector<std::vector<int>> frame = Frame(kDotsW, kDotsH, 20, 4);
    const std::string label = WritePwg(kDotsW, kDotsH, frame);
    const std::string letter = WritePwg(1726, 2233, frame);  // Letter at 203 dpi
    struct Row {
        const char* what;
        std::string file;
        AppServer::Options options;
        Box ink;
        int slack;
        const char* driver = "tspl_203";
    };
    Runner().Load("brother_ql", "om_dk-11209-small-address_62x29mm");
    const std::string edgeFramed = WritePwg(732, 342, Frame(732, 342, 0, 4), 300);
    const Row rows[] = {
        {"label-size page as it comes", label, {}, Box{20, 20, 791, 1197}, 0},
        {"DK-11209 page framed at its edge, print-scaling=fit: fitted, the frame whole",
         edgeFramed,
         {{"print-scaling", "fit"}},
         Box{59, 1, 636, 270},
         1,
         "brother_ql"},
        {"label-size page, print-scaling=fit: 1:1",
         label,
         {{"print-scaling", "fit"}},
         Box{20, 20, 791, 1197},
         0},
        {"Letter page, fit-content: the ruled label dot for dot",
         letter,
         {{"thermal-fit-content", "on"}},
         Box{20, 20, 791, 1197},
         1},
        {"Letter page, larger than any medium: fitted whole",
         letter,
         {},
         Box{8 + 20 * 796 / 1726, -1, 8 + 792 * 796 / 1726, -1},
         3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const LabelRunner::Result r =
            Runner().Print(row.driver, row.file, "image/pwg-raster", row.options);
        EXPECT_EQ(r.state, IPP_JSTATE_COMPLETED) << r.message;
        ASSERT_EQ(r.pages.size(), 1u);
        const Box b = InkBox(r.pages[0]);
        EXPECT_NEAR(b.left, row.ink.left, row.slack);
        EXPECT_NEAR(b.right, row.ink.right, row.slack);
        if (row.ink.top >= 0) {
            EXPECT_NEAR(b.top, row.ink.top, row.slack);
            EXPECT_NEAR(b.bottom, row.ink.bottom, row.slack);
        }
    }
}

// A 4 x 6 in label at 203 dpi as browsers send it: ten anti-aliased bars
// 3.4 pixels wide (a third of a pixel off the grid) from x 20, and a flat
// gray patch of 128 x 128 at x 240; both on rows 40..167. Without
// anti-aliasing the bars are 3 pixels wide on the grid.
std::string BarsAndGrayPng(uint8_t gray, bool antiAliased) {
    constexpr uint32_t kW = kDotsW, kH = kDotsH;
    std::vector<uint8_t> pixels(size_t(kW) * kH, 255);
    for (uint32_t x = 0; x < 200; x++) {
        double ink = 0;
        for (int bar = 0; bar < 10; bar++) {
            const double width = antiAliased ? 3.4 : 3;
            const double from = 20 + (antiAliased ? 1.0 / 3 : 0) + bar * 2 * width;
            const double to = from + width;
            ink += std::max(0.0, std::min(to, x + 1.0) - std::max(from, double(x)));
        }
        for (uint32_t y = 40; y < 168; y++)
            pixels[y * kW + x] = uint8_t(std::lround(255 * (1 - ink)));
    }
    for (uint32_t y = 40; y < 168; y++)
        for (uint32_t x = 240; x < 368; x++) pixels[y * kW + x] = gray;
    const std::string png = TempDir::Shared().NewPath("barsgray") + ".png";
    WriteFileBytes(png, WithPngResolution(GrayPng(kW, kH, pixels), kDpi));
    return png;
}

// Black runs across row y from x0 to x1.
std::vector<int> BlackRuns(const tagDecodedPage& page, int y, int x0, int x1) {
    std::vector<int> runs;
    for (int x = x0; x < x1;) {
        int end = x;
        while (end < x1 && page.IsBlack(uint32_t(end), uint32_t(y))) end++;
        if (end > x) runs.push_back(end - x);
        x = end + 1;
    }
    return runs;
}

// Columns from x0 to x1 whose dots differ between rows y0 and y1: an edge
// turned into a dotted fringe.
int FringeColumns(const tagDecodedPage& page, int x0, int x1, int y0, int y1) {
    int fringe = 0;
    for (int x = x0; x < x1; x++)
        for (int y = y0 + 1; y < y1; y++)
            if (page.IsBlack(uint32_t(x), uint32_t(y)) != page.IsBlack(uint32_t(x), uint32_t(y0))) {
                fringe++;
                break;
            }
    return fringe;
}

// How unevenly a square of dots spreads in direction: the mean spectral
// power within 22.5 degrees of the axes over that near the diagonals
// (worms, lines of dots along an axis, raise it; 1 is even).
double AxisEnergyRatio(const tagDecodedPage& page, int x0, int y0, int n) {
    using C = std::complex<double>;
    std::vector<C> a(size_t(n * n)), b(size_t(n * n));
    double mean = 0;
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            const double dot = page.IsBlack(uint32_t(x0 + x), uint32_t(y0 + y));
            a[size_t(y * n + x)] = dot;
            mean += dot;
        }
    for (C& v : a) v -= mean / (n * n);
    auto pass = [n](const std::vector<C>& in, std::vector<C>& out, bool rows) {
        for (int l = 0; l < n; l++)
            for (int k = 0; k < n; k++) {
                C s = 0;
                for (int j = 0; j < n; j++)
                    s += in[size_t(rows ? l * n + j : j * n + l)] *
                         std::polar(1.0, -2 * M_PI * k * j / n);
                out[size_t(rows ? l * n + k : k * n + l)] = s;
            }
    };
    pass(a, b, true);
    pass(b, a, false);
    double axis = 0, diagonal = 0;
    int axisBins = 0, diagonalBins = 0;
    for (int v = 0; v < n; v++)
        for (int u = 0; u < n; u++) {
            const double fu = std::min(u, n - u), fv = std::min(v, n - v);
            if ((fu == 0 && fv == 0) || std::hypot(fu, fv) > n / 2) continue;
            const double angle = std::atan2(fv, fu) * 180 / M_PI;
            const double power = std::norm(a[size_t(v * n + u)]);
            if (angle < 22.5 || angle > 67.5)
                axis += power, axisBins++;
            else
                diagonal += power, diagonalBins++;
        }
    return (axis / axisBins) / (diagonal / diagonalBins);
}

// How the application turns grays into dots, by print-content-optimize
// unless a dither is asked for: at the defaults anti-aliased bars print
// with clean edges and equal widths while a flat gray is dithered evenly
// (no worms); text cuts the gray at mid-gray; a job's own dither wins; and
// a bilevel label made for 203 dpi keeps equal bars on a 300 dpi printer.
TEST(AppLabels, GraysBecomeDotsByWhatThePageShows) {
    struct Row {
        const char* what;
        const char* driver;
        uint8_t gray;
        bool antiAliased;
        AppServer::Options options;
        bool cleanBars;                    // no fringe, bars equal within a dot
        double patchWhite;                 // share of white dots in the patch, -1: dithered evenly
        const char* webDefault = nullptr;  // print-content-optimize set on the web page first
    };
    const Row rows[] = {
        {"defaults: bars clean, gray 124 dithered", "tspl_203", 124, true, {}, true, -1},
        {"defaults: gray 96", "tspl_203", 96, true, {}, true, -1},
        {"defaults: gray 160", "tspl_203", 160, true, {}, true, -1},
        {"text: gray cut at mid-gray",
         "tspl_203",
         124,
         true,
         {{"print-content-optimize", "text"}},
         true,
         0},
        {"the job's Burkes wins: fringes",
         "tspl_203",
         124,
         true,
         {{"thermal-dither", "burkes"}},
         false,
         124 / 255.0},
        {"black and white, made for 203 dpi, on a 300 dpi printer",
         "tspl_300",
         255,
         false,
         {},
         true,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.webDefault)
            Runner().App().SubmitForm(std::string("/") + row.driver + "/printing",
                                      {{"print-content-optimize", row.webDefault}});
        const LabelRunner::Result r = Runner().Print(
            row.driver, BarsAndGrayPng(row.gray, row.antiAliased), "image/png", row.options);
        ASSERT_EQ(r.pages.size(), 1u) << r.message;
        const tagDecodedPage& page = r.pages[0];
        const double scale = std::string(row.driver) == "tspl_300" ? 300.0 / kDpi : 1;
        const Box ink = InkBox(page);
        const int ox = ink.left - int(20 * scale), oy = ink.top - int(40 * scale);
        auto at = [&](double v) { return int(std::lround(v * scale)); };
        const int fringe =
            FringeColumns(page, ox + at(10), ox + at(170), oy + at(44), oy + at(164));
        const std::vector<int> bars = BlackRuns(page, oy + at(100), ox + at(10), ox + at(170));
        ASSERT_EQ(bars.size(), 10u);
        const auto [thin, thick] = std::minmax_element(bars.begin(), bars.end());
        if (row.cleanBars) {
            EXPECT_EQ(fringe, 0);
            EXPECT_LE(*thick - *thin, 1);
        } else {
            EXPECT_GT(fringe, 0);
        }
        const int px = ox + at(272), py = oy + at(72), n = 64;
        int white = 0;
        for (int y = py; y < py + n; y++)
            for (int x = px; x < px + n; x++) white += !page.IsBlack(uint32_t(x), uint32_t(y));
        const double share = white / double(n * n);
        if (row.patchWhite >= 0) {
            EXPECT_NEAR(share, row.patchWhite, 0.03);
        } else {
            EXPECT_NEAR(share, row.gray / 255.0, 0.03);
            EXPECT_LE(AxisEnergyRatio(page, px, py, n), 5);
        }
    }
}

// Hostile and broken PDFs end their job with a message that says why, send
// nothing, and the server goes on to print the next document.
TEST(AppLabels, HostilePdfsEndTheirJobWithAReason) {
    LabelRunner& runner = Runner();
    const std::vector<uint8_t> good = MakePdf({{kLabelW, kLabelH, LabelContent(kLabelH)}});
    std::vector<PdfPage> many(10000, PdfPage{kLabelW, kLabelH, "0 g 10 10 20 20 re f"});
    auto write = [](const std::vector<uint8_t>& bytes) {
        const std::string path = TempDir::Shared().NewPath("hostile") + ".pdf";
        WriteFileBytes(path, bytes);
        return path;
    };
    const std::string encrypted =
        "/Encrypt << /Filter /Standard /V 1 /R 2 /Length 40 /P -4 "
        "/O <0102030405060708090a0b0c0d0e0f100102030405060708090a0b0c0d0e0f10> "
        "/U <0102030405060708090a0b0c0d0e0f100102030405060708090a0b0c0d0e0f10> >> "
        "/ID [<00112233445566778899aabbccddeeff> <00112233445566778899aabbccddeeff>]";
    struct Row {
        const char* what;
        std::string file;
        AppServer::Options options;
        const char* message;
    };
    const Row rows[] = {
        {"not a PDF past its header",
         write(std::vector<uint8_t>{'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n', 'x', 'x', 'x'}),
         {},
         "damaged or not a PDF"},
        {"truncated before its pages",
         write({good.begin(), good.begin() + 60}),
         {},
         "damaged or not a PDF"},
        {"protected by a password",
         write(MakePdf({{kLabelW, kLabelH, ""}}, encrypted)),
         {},
         "protected by a password"},
        {"10,000 pages", write(MakePdf(many)), {}, "has 10000 pages; at most 1000"},
        {"a 200 x 200 in page printed at its size",
         write(MakePdf({{14400, 14400, ""}})),
         {{"print-scaling", "none"}},
         "too large to print (5080 x 5080 mm)"},
        {"a 200 x 200 in page trimmed to its content",
         write(MakePdf({{14400, 14400, ""}})),
         {{"thermal-fit-content", "on"}},
         "too large to print"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const LabelRunner::Result r =
            runner.Print("tspl_203", row.file, "application/pdf", row.options);
        EXPECT_EQ(r.state, IPP_JSTATE_ABORTED);
        EXPECT_NE(r.message.find(row.message), std::string::npos) << r.message;
        EXPECT_TRUE(r.pages.empty());
        ASSERT_TRUE(runner.App().Alive());
        const LabelRunner::Result next = runner.Print("tspl_203", write(good), "application/pdf");
        EXPECT_EQ(next.state, IPP_JSTATE_COMPLETED) << next.message;
        EXPECT_EQ(next.pages.size(), 1u);
    }
}
}  // namespace

namespace {
// Pages filled over and over, seconds each to draw, after `quick` pages
// drawn at once.
std::string SlowPdf(int pages, int quick = 0) {
    std::string content = "0.5 g ";
    for (int i = 0; i < 500; i++) content += "0 0 288 432 re f\n";
    std::vector<PdfPage> all(size_t(quick), PdfPage{kLabelW, kLabelH, LabelContent(kLabelH)});
    all.resize(size_t(quick + pages), PdfPage{kLabelW, kLabelH, content});
    return WritePdf(all);
}

// The server's PDF renderer once it has read the job's file (the job's
// `opened`th PDF on the server); 0 when it did not within 20 s.
int DrawingRenderer(const AppServer& app, size_t opened) {
    for (int i = 0; i < 800; i++) {
        const std::string log = app.Log();
        size_t count = 0;
        for (size_t at = 0; (at = log.find("PDF document of", at)) != std::string::npos; at++)
            count++;
        for (const auto& [pid, line] : app.Children())
            if (count >= opened && line.find("--pdf-renderer") != std::string::npos) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return 0;
}

// Whether the process is gone (or only waits to be reaped) within 2 s.
bool EndsSoon(int pid) {
    for (int i = 0; i < 80; i++) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) return true;
        const size_t name = line.rfind(')');
        if (name != std::string::npos && line.size() > name + 2 && line[name + 2] == 'Z')
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

// A slow PDF's renderer goes with its job when the job is cancelled, and
// with its server when the server is killed: nothing draws on for nobody.
TEST(AppLabels, APdfRendererEndsWithItsJobAndItsServer) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("lbl", "tspl_203"));
    const std::string slow = SlowPdf(3);
    const int id = app.Print("lbl", slow, "application/pdf");
    int renderer = DrawingRenderer(app, 1);
    ASSERT_GT(renderer, 0);
    app.CancelJob("lbl", id);
    EXPECT_TRUE(EndsSoon(renderer));
    EXPECT_EQ(app.WaitForJob("lbl", id), IPP_JSTATE_CANCELED);

    ASSERT_GT(app.Print("lbl", slow, "application/pdf"), 0);
    renderer = DrawingRenderer(app, 2);
    ASSERT_GT(renderer, 0);
    app.Crash();
    EXPECT_TRUE(EndsSoon(renderer));
    if (const int again = app.ActiveJob("lbl")) app.CancelJob("lbl", again);
}

// A PDF job past its whole-job time (here 1 s: a quick page, then pages of
// seconds each) ends aborted, saying which limit, however many pages it
// printed; the printer prints the next job.
TEST(AppLabels, APdfJobPastItsTimeEndsAndThePrinterGoesOn) {
    AppServer app(AppServer::Options{{"pdf-job-time", "1"}});
    ASSERT_TRUE(app.AddPrinter("lbl", "tspl_203"));
    const int slow = app.Print("lbl", SlowPdf(3, 1), "application/pdf");
    EXPECT_EQ(app.WaitForJob("lbl", slow), IPP_JSTATE_ABORTED);
    const std::string message = app.JobStateMessage("lbl", slow);
    EXPECT_NE(message.find("Printed 1 of 4 pages. The PDF file took longer than 1 second in all"),
              std::string::npos)
        << message;
    const int next =
        app.Print("lbl", WritePdf({{kLabelW, kLabelH, LabelContent(kLabelH)}}), "application/pdf");
    EXPECT_EQ(app.WaitForJob("lbl", next), IPP_JSTATE_COMPLETED)
        << app.JobStateMessage("lbl", next);
}
}  // namespace

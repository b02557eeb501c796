// Faults and hostile input through the real filter: cancellation in the
// middle of a page, a dead backend, hostile page headers and option values
// that no sane PPD offers. (A stream that ends inside a page is covered by
// the page reading tests.)
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "support/FaultRunner.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// An 8-bit page with gray bands, so that every depth step has work to do.
TestPage BandedPage(unsigned width, unsigned height) {
    TestPage page = MakePage(width, height);
    for (unsigned y = 0; y < height; y++)
        for (unsigned x = 0; x < width; x++)
            page.SetGray(x, y, static_cast<uint8_t>((x / 8 * 40 + y / 16 * 70) & 0xFF));
    return page;
}
}  // namespace

TEST(Reliability, SigtermInsideAPageFinishesItWholeAndStartsNoOther) {
    TestPage page = BandedPage(96, 1500);
    std::vector<uint8_t> onePage = MakeRaster({page});
    std::vector<uint8_t> twoPages = MakeRaster({page, page});
    for (int model = 20; model <= 26; model++) {
        std::string ppd = WritePpd(model);
        FilterResult reference = RunFilter(ppd, onePage);
        ASSERT_EQ(reference.exitStatus, 0) << reference.err;

        FilterProcess filter(ppd, "");
        size_t inside = twoPages.size() / 4;  // half of the first page's lines
        filter.Write(twoPages, 0, inside);
        ASSERT_TRUE(filter.WaitForError("Starting page 1.")) << model;
        filter.Signal(SIGTERM);
        filter.Write(twoPages, inside, twoPages.size());
        FilterResult r = filter.Wait();
        EXPECT_EQ(r.exitStatus, 0) << model << r.err;
        EXPECT_TRUE(Has(r.err, "Finished page 1.")) << model;
        EXPECT_FALSE(Has(r.err, "Starting page 2.")) << model;
        EXPECT_EQ(r.out, reference.out) << "model " << model << ": page not written whole";
    }
}

TEST(Reliability, HeaderEnumsOutsideTheirRangeAreLoggedAsNumbers) {
    // Found by fuzzing: the header dump loaded enum fields holding values no
    // enumerator has, which is undefined behaviour.
    TestPage page = BandedPage(16, 4);
    cups_page_header2_t header = HeaderFor(page);
    const int odd = 1298496004;
    std::memcpy(&header.cupsColorOrder, &odd, sizeof odd);
    std::memcpy(&header.Orientation, &odd, sizeof odd);
    std::memcpy(&header.Duplex, &odd, sizeof odd);
    SyslogCapture log;
    FilterResult r = RunFilter(WritePpd(20), MakeRasterWithHeaders({header}, {page.pixels}));
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    std::vector<std::string> lines = log.Lines();
    EXPECT_TRUE(HasLine(lines, "DEBUG: cupsColorOrder = 1298496004")) << r.err;
    EXPECT_TRUE(HasLine(lines, "DEBUG: Orientation = 1298496004"));
}

TEST(Reliability, CropLimitsStayDefinedForAnyResolution) {
    // Found by fuzzing: a resolution beyond the int range made the crop
    // limits negative dots, and an unlimited top limit overflowed.
    TestPage page = BandedPage(64, 48);
    for (const char* limit : {"-1", "5"}) {
        std::vector<PpdOption> crop;
        for (const char* edge : {"Top", "Bottom", "Left", "Right"})
            crop.push_back({std::string("CropEdge") + edge, {limit}, ""});
        std::string ppd = WritePpd(20, crop);
        for (unsigned dpi : {4294967000u, 2147483648u, 0u}) {
            page.dpi = dpi;
            FilterResult r = RunFilter(ppd, MakeRaster({page}));
            EXPECT_EQ(r.exitStatus, 0) << dpi << r.err;
            EXPECT_TRUE(Has(r.err, "Finished page 1.")) << dpi;
        }
    }
}

TEST(Reliability, ADeadBackendIsAnErrorNotASignal) {
    std::vector<uint8_t> raster = MakeRaster({BandedPage(96, 200), BandedPage(96, 200)});
    for (int model = 20; model <= 26; model++) {
        FilterRun run;
        run.ppdPath = WritePpd(model);
        run.raster = raster;
        ASSERT_FALSE(RunFilter(run).out.empty()) << model;
        for (BrokenOutput how : {BrokenOutput::ClosedPipe, BrokenOutput::ClosedDescriptor}) {
            for (bool asFile : {false, true}) {
                run.rasterAsFile = asFile;
                FilterResult r = RunFilterWithBrokenOutput(run, how);
                EXPECT_EQ(r.signal, 0) << model;
                EXPECT_EQ(r.exitStatus, 1) << model << r.err;
                EXPECT_TRUE(Has(r.err, "ERROR: Unable to write print data")) << model << r.err;
                // Nobody receives the rest of the job: it is not rendered.
                EXPECT_FALSE(Has(r.err, "Starting page 2.")) << model << r.err;
            }
        }
    }
}

namespace {
struct BadValue {
    std::string text;
    int n;  // what the binding reads from it
};

const std::vector<std::string> kNumericOptions = {
    "FeedOffset", "Rotate",      "Brightness",     "Contrast",     "ImageFilter",
    "Threshold",  "CropEdgeTop", "CropEdgeBottom", "CropEdgeLeft", "CropEdgeRight"};

const std::vector<std::string> kAllOptions = {
    "MediaMethod",    "AdjustHoriaontal", "AdjustVertical", "zeMediaTracking", "FeedOffset",
    "Rotate",         "Darkness",         "zePrintRate",    "AutoDotted",      "Brightness",
    "Contrast",       "ImageFilter",      "Threshold",      "ImageCompress",   "CropEdgeTop",
    "CropEdgeBottom", "CropEdgeLeft",     "CropEdgeRight",  "BandHeight",      "BlankFeed",
    "WhiteRunLimit"};

const std::vector<BadValue> kBadValues = {
    {"99999999999999999999", INT_MAX},
    {"2147483648", INT_MAX},
    {"-2147483649", INT_MIN},
    {"-2147483648", INT_MIN},
    {"-5", -5},
    {"abc", 0},
    {"12abc", 12},
    {"+7", 7},
    {std::string(40, '9'), INT_MAX},
    {std::string(40, 'x'), 0},
};

int TimesEight(int n) {
    return static_cast<int>(static_cast<uint32_t>(n) << 3);
}

// Every option of the binding with a harmless default and all the bad values.
std::string BadValuePpd(int model) {
    std::vector<PpdOption> options;
    for (const std::string& keyword : kAllOptions) {
        PpdOption o{keyword, {"0"}, ""};
        if (keyword == "MediaMethod") o.choices = {"Direct"};
        if (keyword == "zeMediaTracking") o.choices = {"Gap"};
        for (const BadValue& v : kBadValues) o.choices.push_back(v.text);
        options.push_back(o);
    }
    return WritePpd(model, options);
}

std::string AllOptionsSetTo(const std::string& value) {
    std::string options;
    for (const std::string& keyword : kAllOptions) options += keyword + "=" + value + " ";
    return options;
}

std::vector<std::string> ExpectedLines(int n) {
    auto line = [](const std::string& field, int value) {
        return field + " = " + std::to_string(value);
    };
    std::vector<std::string> lines = {
        "iPrinttype = 1",
        line("iReference[0]", TimesEight(n)),
        line("iReference[1]", TimesEight(n)),
        "Gap = 0, 3, 0",  // not a media choice: the defaults stay
        line("iOffset", n),
        line("iRotate", n),
        line("iDensity", n),
        line("iSpeed", n),
        line("iDottedline", n != 0),
        line("iLiangdu", n),
        line("iDuibidu", n),
        line("iGrayMethod", n),
        line("iThreValue", n),
        line("ImageCompress", n != 0),
    };
    for (const char* edge : {"Top", "Bottom", "Left", "Right"})
        lines.push_back(line(std::string("iCrop") + edge + "Edge", n));
    lines.push_back(line("iBandHeight", n));
    lines.push_back(line("bBlankFeed", n != 0));
    lines.push_back(line("iWhiteRunLimit", n));
    return lines;
}
}  // namespace

TEST(Reliability, BadOptionValuesFollowTheBindingRules) {
    SyslogCapture log;
    std::vector<uint8_t> raster = MakeRaster({BandedPage(64, 48)});
    for (int model = 20; model <= 26; model++) {
        std::string ppd = BadValuePpd(model);
        for (const BadValue& v : kBadValues) {
            log.Clear();
            FilterResult r = RunFilter(ppd, raster, AllOptionsSetTo(v.text));
            EXPECT_EQ(r.exitStatus, 0) << model << " " << v.text << r.err;
            std::vector<std::string> lines = log.Lines();
            for (const std::string& expected : ExpectedLines(v.n))
                EXPECT_TRUE(HasLine(lines, expected))
                    << "model " << model << ", value " << v.text << ": no line " << expected;
        }
    }
}

TEST(Reliability, EmptyOrUnknownOptionValuesKeepTheDefaults) {
    SyslogCapture log;
    std::vector<uint8_t> raster = MakeRaster({BandedPage(64, 48)});
    std::string ppd = BadValuePpd(20);
    RunFilter(ppd, raster, "");
    std::vector<std::string> defaults = log.Lines();
    ASSERT_TRUE(HasLine(defaults, "iDensity = 0"));
    for (const std::string& value : {std::string(), std::string(5000, '7'), std::string("\"")}) {
        log.Clear();
        FilterResult r = RunFilter(ppd, raster, AllOptionsSetTo(value));
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        EXPECT_EQ(log.Lines(), defaults) << "value of " << value.size() << " characters";
    }

    // No options in the PPD at all: each is reported missing; only the ones
    // with a fallback get a value.
    log.Clear();
    FilterResult r = RunFilter(WritePpd(21), raster, AllOptionsSetTo("5"));
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    std::vector<std::string> lines = log.Lines();
    for (const std::string& keyword : kAllOptions)
        EXPECT_TRUE(HasLine(lines, "GetMarkedOption: " + keyword + " is error")) << keyword;
    EXPECT_TRUE(HasLine(lines, "iLiangdu = 0"));
    for (const char* field : {"iDensity", "iSpeed", "iRotate", "iOffset", "iPrinttype"})
        EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind(std::string(field) + " = ", 0) == 0;
        })) << field;
}

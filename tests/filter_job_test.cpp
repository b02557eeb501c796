#include <gtest/gtest.h>
#include <signal.h>

#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"

namespace {
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<uint8_t> LabelRaster(int pages, unsigned height = 2) {
    std::vector<TestPage> list(static_cast<size_t>(pages), MakePage(16, height, 0xFF, 1));
    return MakeRaster(list);
}
}  // namespace

TEST(FilterJob, RunsThreePagesAndReportsEachPage) {
    std::string ppd = WritePpd(20);
    FilterResult r = RunFilter(ppd, LabelRaster(3));
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    size_t pos = 0;
    for (int n = 1; n <= 3; n++) {
        std::string num = std::to_string(n);
        for (std::string line : {"PAGE: " + num + " 1\n", "INFO: Starting page " + num + ".",
                                 "INFO: Finished page " + num + "."}) {
            size_t at = r.err.find(line, pos);
            ASSERT_NE(at, std::string::npos) << line << " in\n" << r.err;
            pos = at;
        }
    }
    EXPECT_FALSE(Has(r.err, "PAGE: 4"));
}

TEST(FilterJob, WrongArgumentCountIsAUsageError) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"1", "u", "t", "1"},
          std::vector<std::string>{"1", "u", "t", "1", "", "f", "extra"}}) {
        FilterRun run;
        run.ppdPath = WritePpd(20);
        run.argsOverride = args;
        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_TRUE(Has(r.err, "ERROR: rastertothermal job-id user title copies options [file]"))
            << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(FilterJob, ReadsTheRasterFromAFileArgument) {
    FilterRun run;
    run.ppdPath = WritePpd(20);
    run.raster = LabelRaster(2);
    run.rasterAsFile = true;
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Finished page 2."));

    run.argsOverride = {"1", "u", "t", "1", "", "/nonexistent/job.ras"};
    r = RunFilter(run);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_TRUE(Has(r.err, "Unable to open raster file")) << r.err;
}

TEST(FilterJob, UnreadablePpdIsReportedWithItsLine) {
    std::string bad = TempDir::Shared().NewPath("bad") + ".ppd";
    WriteFileText(bad, "this is not a PPD\n");
    for (const std::string& path : {bad, std::string("/nonexistent/printer.ppd")}) {
        FilterResult r = RunFilter(path, LabelRaster(1));
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_TRUE(Has(r.err, "ERROR: The PPD file could not be opened.")) << r.err;
        EXPECT_TRUE(Has(r.err, "DEBUG: ")) << r.err;
        EXPECT_TRUE(Has(r.err, " on line ")) << r.err;
    }
    FilterRun run;
    run.raster = LabelRaster(1);
    run.usePpdEnv = false;
    EXPECT_EQ(RunFilter(run).exitStatus, 1);
}

TEST(FilterJob, UnknownModelNumbersAreRefused) {
    for (int model : {0, 19, 99}) {
        FilterResult r = RunFilter(WritePpd(model), LabelRaster(1));
        EXPECT_EQ(r.exitStatus, 1) << model;
        EXPECT_TRUE(Has(r.err, "ERROR: Unknow ModelNumber.")) << r.err;
        EXPECT_FALSE(Has(r.err, "PAGE:"));
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(FilterJob, EveryKnownModelRunsAJob) {
    for (int model = 20; model <= 26; model++) {
        FilterResult r = RunFilter(WritePpd(model), LabelRaster(1));
        EXPECT_EQ(r.exitStatus, 0) << model << r.err;
    }
}

// The job's error lines are exactly "No pages were found.", for a document
// that is not raster followed by the hint.
TEST(FilterJob, AJobWithoutPagesFails) {
    const std::string noPages = "ERROR: No pages were found.";
    const std::string hint =
        "ERROR: The input is not CUPS raster (the filter reads what "
        "pdftoraster or gstoraster make, not PDF or other documents).";
    const struct {
        const char* what;
        std::vector<uint8_t> input;
        std::vector<std::string> errors;
    } cases[] = {
        {"a raster stream without pages", MakeRaster({}), {noPages}},
        {"an empty job, as CUPS sends for a document without pages", {}, {noPages}},
        {"a PDF given to the filter directly",
         {'%', 'P', 'D', 'F', '-', '1', '.', '4'},
         {noPages, hint}},
    };
    for (const auto& c : cases) {
        FilterResult r = RunFilter(WritePpd(20), c.input);
        EXPECT_EQ(r.exitStatus, 1) << c.what;
        std::vector<std::string> errors;
        for (size_t at = 0, end = 0; at < r.err.size(); at = end + 1) {
            end = std::min(r.err.find('\n', at), r.err.size());
            if (r.err.compare(at, 7, "ERROR: ") == 0) errors.push_back(r.err.substr(at, end - at));
        }
        EXPECT_EQ(errors, c.errors) << c.what;
    }
}

TEST(FilterJob, ARasterEndingInsideAPageKeepsThatPage) {
    std::vector<uint8_t> raster = LabelRaster(1, 100);
    raster.resize(raster.size() - 40);
    FilterResult r = RunFilter(WritePpd(20), raster);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Finished page 1."));
}

TEST(FilterJob, UnusablePagesAreCountedAndSkipped) {
    // A 2-bit page cannot be made into an image; a gigantic one (whose data
    // the stream never holds) is never taken into memory. Both are counted.
    TestPage odd = MakePage(16, 2, 0, 2);
    cups_page_header2_t huge = HeaderFor(MakePage(1, 1, 0, 24));
    huge.cupsWidth = huge.cupsHeight = 100000;
    huge.cupsBytesPerLine = 300000;
    TestPage good = MakePage(16, 2, 0xFF, 1);
    std::vector<uint8_t> raster = MakeRasterWithHeaders({HeaderFor(odd), HeaderFor(good), huge},
                                                        {odd.pixels, good.pixels, {}});
    FilterResult r = RunFilter(WritePpd(20), raster);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Finished page 1."));
    EXPECT_TRUE(Has(r.err, "Finished page 2."));
    EXPECT_TRUE(Has(r.err, "Finished page 3."));
}

TEST(FilterJob, SigtermFinishesTheCurrentPageAndStops) {
    std::vector<uint8_t> raster = LabelRaster(2, 2000);
    FilterProcess filter(WritePpd(20), "");
    size_t firstHalf = raster.size() / 4;  // inside the first page's lines
    filter.Write(raster, 0, firstHalf);
    ASSERT_TRUE(filter.WaitForError("Starting page 1."));
    filter.Signal(SIGTERM);
    filter.Write(raster, firstHalf, raster.size());
    FilterResult r = filter.Wait();
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Finished page 1."));
    EXPECT_FALSE(Has(r.err, "Starting page 2."));
}

TEST(FilterJob, SigtermBeforeAnyPageMeansNoPages) {
    FilterProcess filter(WritePpd(20), "");
    std::vector<uint8_t> raster = LabelRaster(1);
    filter.Write(raster, 0, 4);  // just the sync word
    ASSERT_TRUE(filter.WaitUntilCatching(SIGTERM));
    filter.Signal(SIGTERM);
    filter.Write(raster, 4, raster.size());
    FilterResult r = filter.Wait();
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_TRUE(Has(r.err, "No pages were found.")) << r.err;
}

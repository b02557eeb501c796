#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "filter/CupsRender.h"
#include "support/PpdWriter.h"

namespace {
// The CUPS binding around the plain base, with its log lines captured.
struct LoggedRender : CCupsRender<CBaseRender> {
    std::vector<std::string> lines;
    void AddLog(const char* format, ...) override {
        char text[2048];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        lines.emplace_back(text);
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    }
};

// Reads the settings from a PPD marked with its defaults and the job options.
struct Bound {
    ppd_file_t* ppd = nullptr;
    LoggedRender render;
    Bound(const std::vector<PpdOption>& options, const std::string& jobOptions = "") {
        ppd = ppdOpenFile(WritePpd(20, options).c_str());
        cups_option_t* parsed = nullptr;
        int n = cupsParseOptions(jobOptions.c_str(), 0, &parsed);
        ppdMarkDefaults(ppd);
        cupsMarkOptions(ppd, n, parsed);
        cupsFreeOptions(n, parsed);
        render.ppd = ppd;
        render.GetPrinterParameters();
    }
    ~Bound() { ppdClose(ppd); }
};

PpdOption Opt(const std::string& keyword, std::vector<std::string> choices) {
    return PpdOption{keyword, std::move(choices), ""};
}
}  // namespace

TEST(OptionBinding, MediaTrackingTable) {
    struct Case {
        const char* choice;
        int gap[3];
    } cases[] = {{"Continuous", {0, 0, 0}}, {"A4Stock", {0, 0, 0}},    {"Gap", {1, 3, 0}},
                 {"BLine", {2, 0, 0}},      {"BLine_Fold", {2, 0, 0}}, {"Perforated", {3, 0, 0}},
                 {"Roll", {4, 0, 0}},       {"Recording", {5, 0, 0}},  {"Unheard", {0, 3, 0}}};
    for (const Case& c : cases) {
        Bound b({Opt("zeMediaTracking", {c.choice, "Gap"})});
        EXPECT_EQ(b.render.reg.iGap[0], c.gap[0]) << c.choice;
        EXPECT_EQ(b.render.reg.iGap[1], c.gap[1]) << c.choice;
        EXPECT_EQ(b.render.reg.iGap[2], c.gap[2]) << c.choice;
        EXPECT_TRUE(b.render.Logged("Gap = " + std::to_string(c.gap[0]) + ", " +
                                    std::to_string(c.gap[1]) + ", " + std::to_string(c.gap[2])));
    }
}

TEST(OptionBinding, JobOptionsOverrideThePpdDefaults) {
    std::vector<PpdOption> opts = {
        Opt("Darkness", {"8", "12", "Default"}), Opt("zePrintRate", {"4", "Default", "0"}),
        Opt("FeedOffset", {"0", "5"}), Opt("AdjustHoriaontal", {"0", "2", "-1"})};
    Bound defaults(opts);
    EXPECT_EQ(defaults.render.reg.iDensity, 8);
    EXPECT_EQ(defaults.render.reg.iSpeed, 4);
    EXPECT_EQ(defaults.render.reg.iReference[0], 0);

    Bound job(opts, "Darkness=Default zePrintRate=0 FeedOffset=5 AdjustHoriaontal=-1");
    EXPECT_EQ(job.render.reg.iDensity, -1);
    EXPECT_FALSE(job.render.Logged("iDensity = -1"));
    EXPECT_EQ(job.render.reg.iSpeed, 0);
    EXPECT_TRUE(job.render.Logged("iSpeed = 0"));
    EXPECT_EQ(job.render.reg.iOffset, 5);
    EXPECT_EQ(job.render.reg.iFeedAfter, 5);
    EXPECT_TRUE(job.render.Logged("iOffset = 5"));
    EXPECT_EQ(job.render.reg.iReference[0], -8);

    Bound two(opts, "AdjustHoriaontal=2");
    EXPECT_EQ(two.render.reg.iReference[0], 16);
}

TEST(OptionBinding, MissingOptionsKeepDefaultsExceptTheNotSetOnes) {
    Bound b({});
    EXPECT_EQ(b.render.reg.iDensity, -1);
    EXPECT_EQ(b.render.reg.iSpeed, -1);
    EXPECT_EQ(b.render.halftone.iLiangdu, 0);
    EXPECT_EQ(b.render.halftone.iGrayMethod, 3);
    EXPECT_EQ(b.render.halftone.iThreValue, 175);
    EXPECT_EQ(b.render.reg.iGap[1], 3);
    EXPECT_TRUE(b.render.Logged("GetMarkedOption: Brightness is error"));
    EXPECT_TRUE(b.render.Logged("iLiangdu = 0"));
    EXPECT_EQ(b.render.lines.front(), "Reading the print options");
    // Every one of the twenty-eight options is looked up, in order.
    EXPECT_EQ(b.render.lines.size(), 1u + 28u + 1u);
}

TEST(OptionBinding, TextsAndNumbersFollowAtoiAndSaturate) {
    std::vector<PpdOption> opts = {Opt("MediaMethod", {"Direct", "Normal", "Ribbon"}),
                                   Opt("AutoDotted", {"0", "On", "3"}),
                                   Opt("ImageCompress", {"0", "True", "1"}),
                                   Opt("Threshold", {"175", "99999999999", "-99999999999", "abc"}),
                                   Opt("AdjustVertical", {"0", "536870912"}),
                                   Opt("Rotate", {"0", "2"}),
                                   Opt("BandHeight", {"0", "99999999999", "abc", "24"}),
                                   Opt("BlankFeed", {"0", "On", "3"}),
                                   Opt("WhiteRunLimit", {"0", "-99999999999", "5"})};
    Bound direct(opts);
    EXPECT_EQ(direct.render.reg.iPrinttype, 0);
    EXPECT_EQ(direct.render.receipt.iBandHeight, 0);
    Bound words(opts,
                "MediaMethod=Ribbon AutoDotted=On ImageCompress=True Threshold=abc BandHeight=abc "
                "BlankFeed=On");
    EXPECT_EQ(words.render.reg.iPrinttype, 1);
    EXPECT_EQ(words.render.reg.iDottedline, 0);
    EXPECT_EQ(words.render.halftone.ImageCompress, 0);
    EXPECT_EQ(words.render.halftone.iThreValue, 0);
    EXPECT_EQ(words.render.receipt.iBandHeight, 0);
    EXPECT_EQ(words.render.receipt.bBlankFeed, 0);
    Bound numbers(opts,
                  "AutoDotted=3 ImageCompress=1 Threshold=99999999999 AdjustVertical=536870912 "
                  "BandHeight=99999999999 BlankFeed=3 WhiteRunLimit=5");
    EXPECT_EQ(numbers.render.reg.iDottedline, 1);
    EXPECT_EQ(numbers.render.halftone.ImageCompress, 1);
    EXPECT_EQ(numbers.render.halftone.iThreValue, 2147483647);
    EXPECT_EQ(numbers.render.reg.iReference[1], 0);  // 2^29 * 8 wraps to 0
    EXPECT_EQ(numbers.render.receipt.iBandHeight, 2147483647);
    EXPECT_EQ(numbers.render.receipt.bBlankFeed, 1);
    EXPECT_EQ(numbers.render.receipt.iWhiteRunLimit, 5);
    Bound negative(opts, "Threshold=-99999999999 Rotate=2 WhiteRunLimit=-99999999999");
    EXPECT_EQ(negative.render.halftone.iThreValue, -2147483647 - 1);
    EXPECT_EQ(negative.render.reg.iRotate, 2);
    EXPECT_EQ(negative.render.receipt.iWhiteRunLimit, -2147483647 - 1);
}

TEST(OptionBinding, OnBeginBmpNeedsAPpdAndAHeader) {
    LoggedRender r;
    r.OnBeginBmp();
    EXPECT_TRUE(r.Logged("ppd == NULL || header == NULL"));
    EXPECT_FALSE(r.bInitialized);
}
#pragma GCC diagnostic pop

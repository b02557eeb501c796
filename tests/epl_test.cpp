#include <gtest/gtest.h>

#include "languages/epl/Encoder.h"
#include "support/FilterRunner.h"
#include "support/LabelEncoderSupport.h"
#include "support/PpdWriter.h"
#include "support/PreviewStreams.h"

using namespace std::string_literals;

namespace {
TestPage SmallPage() {
    TestPage p = MakePage(16, 2, 0xFF, 1);
    p.pixels = {0x0F, 0xA5, 0xFF, 0x00};
    return p;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}
}  // namespace

TEST(EplEncoder, SmallPageByteForByte) {
    CCaptureEncoder<CPrinterEPL> enc;
    EXPECT_EQ(enc.Paint(SmallPage()), "\nN\nq16\nQ2,0\nD8\nS6\nGW0,0,2,2\n\x0F\xA5\xFF\x00\nP1\n"s);
    EXPECT_EQ(enc.writes.size(), 1u);
}

// Inked rows go in bands of at most 255 rows; white rows are left out.
TEST(EplEncoder, BandsSkipWhiteRowsAndDecodeToTheSameDots) {
    TestPage page = MakePage(20, 600, 0xFF, 1);
    for (unsigned y = 10; y < 310; y++)
        for (unsigned x = 0; x < 20; x++) page.SetBit(x, y, (x + y) % 3 != 0);
    for (unsigned y = 400; y < 410; y++) page.SetBit(19, y, false);
    CCaptureEncoder<CPrinterEPL> enc;
    const std::string out = enc.Paint(page);
    std::vector<std::string> heads;
    for (const std::string& line : Lines(out))
        if (line.starts_with("GW")) heads.push_back(line);
    EXPECT_EQ(heads, (std::vector<std::string>{"GW0,10,3,255", "GW0,265,3,45", "GW0,400,3,10"}));

    tagDecodeResult r = DecodeStream(reinterpret_cast<const uint8_t*>(out.data()), out.size(), {});
    ASSERT_FALSE(r.error.failed) << r.error.offset << ": " << r.error.message;
    ASSERT_EQ(r.pages.size(), 1u);
    ASSERT_EQ(r.pages[0].width, 20u);
    ASSERT_EQ(r.pages[0].height, 600u);
    for (unsigned y = 0; y < 600; y++)
        for (unsigned x = 0; x < 20; x++)
            ASSERT_EQ(r.pages[0].IsBlack(x, y), !((page.pixels[y * 3 + x / 8] >> (7 - x % 8)) & 1))
                << x << "," << y;
}

TEST(EplEncoder, SettingLinesFollowTheSettings) {
    struct Case {
        int gap[3];
        int density, speed;
        std::vector<std::string> lines;  // from the Q line to the GW line
    };
    const Case cases[] = {
        {{0, 3, 0}, 8, 4, {"Q2,0", "D8", "S4"}},
        {{1, 3, 0}, -1, -1, {"Q2,24"}},
        {{1, 3, 2}, 0, 0, {"Q2,24,16", "D0"}},
        {{2, 0, 0}, 20, 9, {"Q2,B24", "D15", "S6"}},
        {{2, 5, 0}, 15, 1, {"Q2,B40", "D15", "S1"}},
        {{3, 0, 0}, -1, 2, {"Q2,24", "S2"}},
        {{4, 3, 0}, -1, -1, {"Q2,0"}},
    };
    for (const Case& c : cases) {
        CCaptureEncoder<CPrinterEPL> enc;
        std::copy_n(c.gap, 3, enc.reg.iGap);
        enc.reg.iDensity = c.density;
        enc.reg.iSpeed = c.speed;
        std::vector<std::string> lines = Lines(enc.Paint(SmallPage()));
        ASSERT_GE(lines.size(), 4 + c.lines.size());
        std::vector<std::string> got(lines.begin() + 3, lines.begin() + 3 + c.lines.size());
        EXPECT_EQ(got, c.lines) << c.gap[0];
        EXPECT_TRUE(lines[3 + c.lines.size()].starts_with("GW")) << c.gap[0];
    }
}

TEST(EplFilter, EachPageIsOneLabel) {
    const std::string ppd = WritePpd(
        26, {{"Darkness", {"Default", "12"}, ""}, {"zeMediaTracking", {"Gap", "Continuous"}, ""}});
    FilterResult r = RunFilter(ppd, MakeRaster({SmallPage(), SmallPage()}), "Darkness=12");
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const std::string one = "\nN\nq16\nQ2,24\nD12\nGW0,0,2,2\n\x0F\xA5\xFF\x00\nP1\n"s;
    EXPECT_EQ(r.outText(), one + one);
}

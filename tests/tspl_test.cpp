#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>

#include "languages/tspl/Encoder.h"
#include "support/FilterRunner.h"
#include "support/LabelEncoderSupport.h"
#include "support/PpdWriter.h"

namespace {
const std::string& TsplPpd() {
    static const std::string path = WritePpd(
        20,
        {{"zeMediaTracking", {"Gap", "Continuous", "BLine", "Perforated", "Roll", "Recording"}, ""},
         {"Darkness", {"8", "Default", "-1", "0", "20"}, ""},
         {"zePrintRate", {"4", "Default", "-1", "0", "12", "13"}, ""},
         {"ImageCompress", {"0", "1"}, ""},
         {"AdjustHoriaontal", {"0", "3"}, ""},
         {"FeedOffset", {"0", "2"}, ""},
         {"MediaMethod", {"Direct", "Transfer"}, ""}});
    return path;
}

std::string Print(const std::vector<TestPage>& pages, const std::string& options = "") {
    FilterResult r = RunFilter(TsplPpd(), MakeRaster(pages), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.outText();
}

TestPage Page(unsigned w, unsigned h, unsigned seed = 1) {
    TestPage p = MakePage(w, h, 0xFF, 1);
    for (size_t i = 0; i < p.pixels.size(); i++)
        p.pixels[i] = static_cast<uint8_t>(i * 37 + seed * 101);
    return p;
}

// The setting lines of a 16 x 2 page at 203 dpi with the PPD's defaults.
const std::string kHead16x2 =
    "SIZE 2.00 mm,0.25 mm\r\nSET RIBBON OFF\r\nREFERENCE 0,0\r\nGAP 3 mm,0 mm\r\nOFFSET 0 mm\r\n"
    "DENSITY 8\r\nSPEED 4\r\nSETC AUTODOTTED OFF\r\nSETC PAUSEKEY ON\r\nSETC WATERMARK ON\r\n"
    "CLS\r\n";
const std::string kTail = "\r\nPRINT 1,1\r\n";
}  // namespace

TEST(TsplFilter, WritesTheLabelBlockByteForByte) {
    TestPage p = MakePage(16, 2, 0xFF, 1);
    p.pixels = {0x0F, 0xA5, 0xFF, 0x00};
    std::string data("\x0F\xA5\xFF\xFF\xFF\x00\xFF\xFF", 8);
    EXPECT_EQ(Print({p}), kHead16x2 + "BITMAP 0,0,4,2,1," + data + kTail);
}

TEST(TsplFilter, EachPageIsOneBlockAndNothingElse) {
    std::vector<TestPage> pages = {Page(16, 2, 1), Page(16, 2, 2), Page(16, 2, 3)};
    std::string expected;
    for (const TestPage& p : pages)
        expected += kHead16x2 + "BITMAP 0,0,4,2,1," + Text(StoredRows(p)) + kTail;
    EXPECT_EQ(Print(pages), expected);
}

TEST(TsplFilter, SettingLinesFollowTheOptions) {
    struct Case {
        std::string options, line;        // line: expected setting line, or "" for none
        std::vector<std::string> absent;  // words that must not appear
    };
    const Case cases[] = {
        {"zePrintRate=0", "SPEED 4", {}},
        {"zePrintRate=13", "SPEED 4", {}},
        {"zePrintRate=12", "SPEED 12", {}},
        {"zePrintRate=-1", "", {"SPEED"}},
        {"zePrintRate=Default", "", {"SPEED"}},
        {"Darkness=0", "DENSITY 0", {}},
        {"Darkness=20", "DENSITY 20", {}},
        {"Darkness=-1", "", {"DENSITY"}},
        {"Darkness=Default", "", {"DENSITY"}},
        {"zeMediaTracking=Continuous", "GAP 0 mm,0 mm", {"BLINE"}},
        {"zeMediaTracking=BLine", "BLINE 0 mm,0 mm", {"GAP"}},
        {"zeMediaTracking=Perforated", "", {"GAP", "BLINE"}},
        {"zeMediaTracking=Roll", "", {"GAP", "BLINE"}},
        {"zeMediaTracking=Recording", "", {"GAP", "BLINE"}},
        {"FeedOffset=2", "OFFSET 2 mm", {}},
        {"MediaMethod=Transfer", "SET RIBBON ON", {}},
        // 3 becomes 24 mm; 24 * 203 / 25.4 = 191.8 is truncated.
        {"AdjustHoriaontal=3", "REFERENCE 191,0", {}},
    };
    for (const Case& c : cases) {
        std::string out = Print({Page(16, 2)}, c.options);
        if (!c.line.empty()) {
            EXPECT_NE(out.find("\r\n" + c.line + "\r\n"), out.npos) << c.options;
        }
        for (const std::string& word : c.absent) EXPECT_EQ(out.find(word), out.npos) << c.options;
    }
}

TEST(TsplFilter, RawRowsOfA100DotPageEndInWhiteFiller) {
    std::string out = Print({MakePage(100, 2, 0x00, 1)});
    std::string row(12, '\0');
    row += "\x0F\xFF\xFF\xFF";
    size_t at = out.find("BITMAP 0,0,16,2,1,");
    ASSERT_NE(at, out.npos);
    EXPECT_EQ(out.substr(at + 18), row + row + kTail);
}

TEST(TsplFilter, ZlibFormInflatesToTheInvertedPage) {
    TestPage p = Page(100, 5);
    std::string out = Print({p}, "ImageCompress=1");
    const std::string head = "BITMAP 0,0,16,5,3,";
    size_t at = out.find(head);
    ASSERT_NE(at, out.npos);
    size_t comma = out.find(',', at + head.size());
    ASSERT_TRUE(out.ends_with(kTail));
    std::string packed = out.substr(comma + 1, out.size() - kTail.size() - comma - 1);
    EXPECT_EQ(std::stoul(out.substr(at + head.size())), packed.size());

    std::vector<uint8_t> page(16 * 5 + 1);
    uLongf size = page.size();
    ASSERT_EQ(uncompress(page.data(), &size, reinterpret_cast<const Bytef*>(packed.data()),
                         packed.size()),
              Z_OK);
    page.resize(size);
    EXPECT_EQ(page, Inverted(StoredRows(p)));
}

TEST(TsplEncoder, PeelAndCutterLinesByMode) {
    const std::pair<int, std::string> cases[] = {
        {1, "SET PEEL OFF\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER OFF\r\nSET TEAR ON\r\n"},
        {2, "SET PEEL OFF\r\nSET CUTTER 1\r\nSET PARTIAL_CUTTER OFF\r\nSET TEAR OFF\r\n"},
        {3, "SET PEEL ON\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER OFF\r\nSET TEAR OFF\r\n"},
        {4, "SET PEEL OFF\r\nSET CUTTER FALSE\r\nSET PARTIAL_CUTTER 1\r\nSET TEAR OFF\r\n"},
        {0, ""},
        {5, ""},
        {-1, ""}};
    for (const auto& [mode, lines] : cases) {
        CCaptureEncoder<CPrinterTSPL> enc;
        enc.reg.iPeelCutMode = mode;
        std::string out = enc.Paint(Page(16, 2));
        std::string expected = "SET RIBBON OFF\r\n" + lines + "REFERENCE";
        EXPECT_NE(out.find(expected), out.npos) << mode;
    }
}

TEST(TsplEncoder, RibbonAndSwitchLines) {
    CCaptureEncoder<CPrinterTSPL> enc;
    enc.reg.iPrinttype = 1;
    EXPECT_NE(enc.Paint(Page(16, 2)).find("\r\nSET RIBBON ON\r\n"), std::string::npos);
    enc.reg.iPrinttype = 2;
    enc.reg.iDottedline = 1;
    enc.reg.iPauseKey = enc.reg.iWaterMark = 0;
    std::string out = enc.Paint(Page(16, 2));
    EXPECT_EQ(out.find("RIBBON"), out.npos);
    EXPECT_NE(out.find("\r\nSETC AUTODOTTED ON\r\nSETC PAUSEKEY OFF\r\nSETC WATERMARK OFF\r\n"),
              out.npos);
}

TEST(TsplEncoder, ExtremeSettingsStayDefined) {
    CCaptureEncoder<CPrinterTSPL> enc;
    enc.reg.iReference[0] = enc.reg.iReference[1] = INT_MAX;
    enc.reg.iSpeed = enc.reg.iDensity = INT_MAX;
    enc.reg.iGap[0] = 1;
    enc.reg.iGap[1] = INT_MIN;
    TestPage p = Page(16, 2);
    p.dpi = 0;
    std::string out = enc.Paint(p);
    EXPECT_TRUE(out.starts_with("SIZE inf mm,inf mm\r\n")) << out;
    EXPECT_NE(out.find("\r\nREFERENCE 0,0\r\n"), out.npos);
    EXPECT_NE(out.find("\r\nGAP -2147483648 mm,0 mm\r\n"), out.npos);
    EXPECT_NE(out.find("\r\nDENSITY 2147483647\r\nSPEED 4\r\n"), out.npos);
    p.dpi = INT_MAX;
    EXPECT_TRUE(enc.Paint(p).ends_with(kTail));
}

TEST(TsplEncoder, PageLargerThanTheBufferMaximumStaysWhole) {
    CCaptureEncoder<CPrinterTSPL> enc;
    enc.pageBuffer.SetMaxBufferSize(1500);
    TestPage p = Page(200, 50);  // 1400 bitmap bytes, beyond the initial 1024
    std::string out = enc.Paint(p);
    EXPECT_EQ(enc.writes.size(), 1u);
    EXPECT_TRUE(out.starts_with("SIZE ")) << out.substr(0, 20);
    EXPECT_TRUE(out.ends_with("BITMAP 0,0,28,50,1," + Text(StoredRows(p)) + kTail));
}

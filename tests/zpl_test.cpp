#include <gtest/gtest.h>

#include <functional>

#include "languages/zpl/Crc16.h"
#include "languages/zpl/Encoder.h"
#include "support/FilterRunner.h"
#include "support/LabelEncoderSupport.h"
#include "support/PpdWriter.h"
#include "support/PreviewStreams.h"

namespace {
// A 16 x 2 page: raster rows 0F A5 and FF 00 (a set bit is white), so the
// field's rows are F0 5A and 00 FF.
TestPage SmallPage() {
    TestPage p = MakePage(16, 2, 0xFF, 1);
    p.pixels = {0x0F, 0xA5, 0xFF, 0x00};
    return p;
}

// The setting lines with the encoder's default settings.
const std::string kHead = "^XA\n^PW16\n^LL2\n^LH0,0\n^MNN\n^MTD\n~SD08\n^PR14\n";
const std::string kTail = "^FS\n^PQ1\n^XZ\n";

// A row of hex digits given as runs, written into a raster row (inverted:
// the raster's set bits are white).
struct Run {
    unsigned count;
    unsigned digit;
};
void PutRow(TestPage& page, unsigned y, const std::vector<Run>& runs) {
    unsigned nibble = 0;
    for (const Run& run : runs) {
        for (unsigned i = 0; i < run.count; i++, nibble++) {
            uint8_t& b = page.pixels[y * page.bytesPerLine() + nibble / 2];
            const unsigned white = ~run.digit & 0xF;
            b = static_cast<uint8_t>(nibble % 2 ? (b & 0xF0) | white : (b & 0x0F) | white << 4);
        }
    }
}

std::string FieldData(const std::string& out) {
    const size_t start = out.find(",", out.find("^GFA,") + 5);
    const size_t data = out.find(",", out.find(",", start + 1) + 1) + 1;
    return out.substr(data, out.find("^FS") - data);
}
}  // namespace

TEST(ZplEncoder, SmallPageInBothEncodings) {
    CCaptureEncoder<CPrinterZPL> enc;
    EXPECT_EQ(enc.Paint(SmallPage()), kHead + "^FO0,0^GFA,4,4,2,F05A00!" + kTail);
    enc.halftone.ImageCompress = 1;
    EXPECT_EQ(enc.Paint(SmallPage()),
              kHead + "^FO0,0^GFA,4,4,2,:Z64:eJz7EMXwHwAF0QJK:EC6B" + kTail);
    EXPECT_EQ(enc.writes.size(), 1u);
}

TEST(ZplEncoder, Z64ChecksumOfAKnownText) {
    EXPECT_EQ(Crc16Xmodem("123456789", 9), 0x31C3);
    EXPECT_EQ(Crc16Xmodem("", 0), 0);
}

// Runs of 1, 19, 20, 21, 400 and 401 digits, rows ending in 0s and Fs, and
// repeated rows: the compressed text, and the dots decoded from it.
TEST(ZplEncoder, RunLengthClassesDecodeToTheSameDots) {
    TestPage page = MakePage(2048, 7, 0xFF, 1);  // 512 digits per row
    PutRow(page, 0, {{1, 5}, {19, 6}, {20, 7}, {21, 8}, {400, 9}, {51, 0xC}});
    PutRow(page, 1, {{401, 3}, {111, 0}});
    PutRow(page, 2, {{512, 0}});
    PutRow(page, 3, {{512, 0xF}});
    PutRow(page, 4, {{512, 0xF}});
    PutRow(page, 5, {{2, 0xA}, {509, 0xE}, {1, 0xF}});
    PutRow(page, 6, {{2, 0xA}, {509, 0xE}, {1, 0xF}});
    CCaptureEncoder<CPrinterZPL> enc;
    const std::string out = enc.Paint(page);
    EXPECT_EQ(FieldData(out), "5Y6g7gG8z9hQCzG3,,!:AAzkOE!:");

    tagDecodeResult r = DecodeStream(reinterpret_cast<const uint8_t*>(out.data()), out.size(), {});
    ASSERT_FALSE(r.error.failed) << r.error.offset << ": " << r.error.message;
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.pages[0].bits, Inverted(page.pixels));
}

TEST(ZplEncoder, SettingCommandsFollowTheSettings) {
    struct Case {
        std::function<void(tagREGSTRUCT&)> set;
        std::string present;  // "" for none
        std::string absent;   // "" for none
    };
    const Case cases[] = {
        {[](tagREGSTRUCT& r) { r.iDensity = -1; }, "", "~SD"},
        {[](tagREGSTRUCT& r) { r.iDensity = 0; }, "~SD00", ""},
        {[](tagREGSTRUCT& r) { r.iDensity = 35; }, "~SD30", ""},
        {[](tagREGSTRUCT& r) { r.iSpeed = -1; }, "", "^PR"},
        {[](tagREGSTRUCT& r) { r.iSpeed = 0; }, "", "^PR"},
        {[](tagREGSTRUCT& r) { r.iSpeed = 3; }, "^PR3", ""},
        {[](tagREGSTRUCT& r) { r.iSpeed = 99; }, "^PR14", ""},
        {[](tagREGSTRUCT& r) { r.iGap[0] = 1; }, "^MNY", ""},
        {[](tagREGSTRUCT& r) { r.iGap[0] = 2; }, "^MNM", ""},
        {[](tagREGSTRUCT& r) { r.iGap[0] = 3; }, "^MNY", ""},
        {[](tagREGSTRUCT& r) { r.iGap[0] = 5; }, "^MNN", ""},
        {[](tagREGSTRUCT& r) { r.iPrinttype = 1; }, "^MTT", ""},
        {[](tagREGSTRUCT& r) { r.iPrinttype = 2; }, "", "^MT"},
        {[](tagREGSTRUCT& r) { r.iPeelCutMode = 1; }, "^MMT", ""},
        {[](tagREGSTRUCT& r) { r.iPeelCutMode = 2; }, "^MMC", ""},
        {[](tagREGSTRUCT& r) { r.iPeelCutMode = 3; }, "^MMP", ""},
        {[](tagREGSTRUCT& r) { r.iPeelCutMode = 0; }, "", "^MM"},
        {[](tagREGSTRUCT& r) { r.iPeelCutMode = 4; }, "", "^MM"},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        CCaptureEncoder<CPrinterZPL> enc;
        cases[i].set(enc.reg);
        const std::string out = enc.Paint(SmallPage());
        if (!cases[i].present.empty()) {
            EXPECT_NE(out.find("\n" + cases[i].present + "\n"), out.npos) << i << out;
        }
        if (!cases[i].absent.empty()) {
            EXPECT_EQ(out.find(cases[i].absent), out.npos) << i;
        }
    }
}

TEST(ZplFilter, EachPageIsOneFormatWithThePpdsSettings) {
    const std::string ppd = WritePpd(25, {{"Darkness", {"Default", "12"}, ""},
                                          {"zePrintRate", {"Default", "4"}, ""},
                                          {"zeMediaTracking", {"Gap", "BLine"}, ""},
                                          {"ImageCompress", {"0", "1"}, ""}});
    FilterResult r = RunFilter(ppd, MakeRaster({SmallPage(), SmallPage()}));
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const std::string one =
        "^XA\n^PW16\n^LL2\n^LH0,0\n^MNY\n^MTD\n^FO0,0^GFA,4,4,2,F05A00!" + kTail;
    EXPECT_EQ(r.outText(), one + one);

    r = RunFilter(ppd, MakeRaster({SmallPage()}),
                  "Darkness=12 zePrintRate=4 zeMediaTracking=BLine ImageCompress=1");
    EXPECT_TRUE(r.outText().starts_with(
        "^XA\n^PW16\n^LL2\n^LH0,0\n^MNM\n^MTD\n~SD12\n^PR4\n^FO0,0^GFA,4,4,2,:Z64:"))
        << r.outText();
}

TEST(ZplPreview, FaultsInGraphicDataAreNamed) {
    const std::string head = "^XA^PW16^LL2^FO0,0^GFA,4,4,2,";
    struct Case {
        std::string data;
        bool strict;
        std::string message;  // "" for a stream that decodes
    };
    const Case cases[] = {
        {"F05A00!", false, ""},
        {":F05A", false, "':' does not fit"},    // repeats no row
        {"F0:5A", false, "':' does not fit"},    // not at a row start
        {"F05AIJ0", false, "'0' does not fit"},  // 7 digits where 4 fit
        {"zzF", false, "'F' does not fit"},      // a run past the field
        {"F05AH,", false, "count letters without a digit"},
        {"F05A0", false, "the field holds 8"},  // too few digits
        {"F05A00!!", false, "'!' does not fit"},
        {"F05A00!#", false, "unexpected character 23"},
        {":Z64:eJz7EMXwHwAF0QJK:EC6B", true, ""},
        {":Z64:eJz7EMXwHwAF0QJK:EC6C", false, ""},
        {":Z64:eJz7EMXwHwAF0QJK:EC6C", true, "Z64 CRC mismatch"},
        {":Z64:eJz7EMXwHwAF0QJL:C5A9", false, "Z64 data: "},
        {":Z64:eJz7EMX*:0000", false, "unexpected character 2A in Z64"},
    };
    for (const Case& c : cases) {
        Bytes stream;
        Put(stream, head + c.data + "^FS^XZ");
        tagDecodeOptions options;
        options.strict = c.strict;
        tagDecodeResult r = Decode(stream, options);
        if (c.message.empty()) {
            EXPECT_FALSE(r.error.failed) << c.data << ": " << r.error.message;
        } else {
            EXPECT_NE(r.error.message.find(c.message), std::string::npos)
                << c.data << ": " << r.error.message;
        }
    }
}

// Round trips through the real filter: a 1-bit raster goes through
// build/rastertothermal for each printer language and the decoder must give
// back exactly the page that was sent.
//
// These tests need the five encoders. On a branch where the encoders are
// still placeholders the filter prints nothing and they fail; that is
// expected until the encoders are merged.

#include <gtest/gtest.h>

#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/PreviewStreams.h"
#include "support/RasterWriter.h"

namespace {

// A page whose last column and row carry dots, so lost filler or rows show.
TestPage PatternPage(unsigned width, unsigned height, unsigned seed) {
    TestPage page = MakePage(width, height, 0xFF, 1);
    for (unsigned y = 0; y < height; y++)
        for (unsigned x = 0; x < width; x++) {
            bool dot =
                (x * 3 + y * 7 + seed) % 11 < 4 || x == y || x == width - 1 || y == height - 1;
            page.SetBit(x, y, !dot);
        }
    return page;
}

bool RasterWhite(const TestPage& page, unsigned x, unsigned y) {
    return (page.pixels[y * page.bytesPerLine() + x / 8] >> (7 - x % 8)) & 1;
}

void ExpectSamePage(const tagDecodedPage& got, const TestPage& sent, bool exactWidth) {
    ASSERT_EQ(got.height, sent.height);
    ASSERT_GE(got.width, sent.width);
    EXPECT_TRUE(!exactWidth || got.width == sent.width) << got.width;
    EXPECT_LE(got.width, (sent.width + 31) / 32 * 32);  // at most the stored row length
    for (unsigned y = 0; y < got.height; y++) {
        for (unsigned x = 0; x < got.width; x++) {
            bool expectDot = x < sent.width && !RasterWhite(sent, x, y);
            ASSERT_EQ(got.IsBlack(x, y), expectDot) << "dot " << x << "," << y;
        }
    }
}

tagDecodeResult PrintAndDecode(int model, const std::vector<PpdOption>& options,
                               const std::vector<TestPage>& pages,
                               const std::string& ppdExtra = "") {
    FilterResult run =
        RunFilter(WritePpd(model, options, ppdExtra.empty(), ppdExtra), MakeRaster(pages));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_FALSE(run.out.empty()) << "the filter printed nothing for model " << model;
    return DecodeStream(run.out.data(), run.out.size(), {});
}

void RoundTrip(int model, PreviewLanguage language, const std::vector<PpdOption>& options,
               bool exactWidth = false,
               std::vector<TestPage> pages = {PatternPage(100, 37, 0), PatternPage(64, 5, 5)},
               const std::string& ppdExtra = "") {
    tagDecodeResult r = PrintAndDecode(model, options, pages, ppdExtra);
    ASSERT_FALSE(r.error.failed) << "byte " << r.error.offset << ": " << r.error.message;
    EXPECT_EQ(r.language, language);
    ASSERT_EQ(r.pages.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++) {
        SCOPED_TRACE(i);
        ExpectSamePage(r.pages[i], pages[i], exactWidth);
    }
}

const std::vector<PpdOption> kCompressed = {{"ImageCompress", {"1", "0"}, ""}};

}  // namespace

TEST(PreviewRoundTripAfterEncoderMerge, Tspl) {
    RoundTrip(20, PreviewLanguage::TSPL, {});
}

TEST(PreviewRoundTripAfterEncoderMerge, TsplPageLargerThanTheReadBuffer) {
    // 300 KB of lines of 100 bytes: lines straddle the filter's 256 KiB reads.
    RoundTrip(20, PreviewLanguage::TSPL, {}, false, {PatternPage(800, 3000, 3)});
}

TEST(PreviewRoundTripAfterEncoderMerge, TsplZlib) {
    RoundTrip(20, PreviewLanguage::TSPL, kCompressed);
}

TEST(PreviewRoundTripAfterEncoderMerge, EscPos) {
    RoundTrip(21, PreviewLanguage::ESCPOS, {});
}

TEST(PreviewRoundTripAfterEncoderMerge, Cpcl) {
    RoundTrip(22, PreviewLanguage::CPCL, {}, true);
}

TEST(PreviewRoundTripAfterEncoderMerge, PaperangWithGoodChecksums) {
    RoundTrip(23, PreviewLanguage::Paperang, {});
    tagDecodeResult r = PrintAndDecode(23, {}, {PatternPage(384, 20, 1)});
    EXPECT_EQ(SettingOf(r.settings, "checksum").rfind("ok (", 0), 0u)
        << SettingOf(r.settings, "checksum");
}

TEST(PreviewRoundTripAfterEncoderMerge, PeriPage) {
    RoundTrip(24, PreviewLanguage::PeriPage, {});
}

TEST(PreviewRoundTripAfterEncoderMerge, PeriPageDeflate) {
    RoundTrip(24, PreviewLanguage::PeriPage, kCompressed);
}

TEST(PreviewRoundTripAfterEncoderMerge, ZplHex) {
    RoundTrip(25, PreviewLanguage::ZPL, {}, true);
}

TEST(PreviewRoundTripAfterEncoderMerge, ZplZ64) {
    RoundTrip(25, PreviewLanguage::ZPL, kCompressed, true);
}

TEST(PreviewRoundTripAfterEncoderMerge, Epl) {
    RoundTrip(26, PreviewLanguage::EPL, {}, true);
}

// Pages as wide as the printed width of a tape (29 mm and 62 mm at 300 dpi),
// decoded back unmirrored from their place on the head.
std::vector<TestPage> TapePages() {
    std::vector<TestPage> pages = {PatternPage(306, 37, 0), PatternPage(696, 5, 5)};
    for (TestPage& p : pages) p.dpi = 300;
    return pages;
}

TEST(PreviewRoundTripAfterEncoderMerge, BrotherQl) {
    RoundTrip(27, PreviewLanguage::BrotherQL, {}, true, TapePages());
}

TEST(PreviewRoundTripAfterEncoderMerge, BrotherQlPackBits) {
    RoundTrip(27, PreviewLanguage::BrotherQL, kCompressed, true, TapePages());
}

TEST(PreviewRoundTripAfterEncoderMerge, Dymo) {
    RoundTrip(28, PreviewLanguage::Dymo, {});
}

// Pages as wide as the cat printer's head: lines are always the whole head.
// No tear-off feed, which the preview would draw as paper.
TEST(PreviewRoundTripAfterEncoderMerge, Cat) {
    RoundTrip(29, PreviewLanguage::Cat, {{"FeedOffset", {"0"}, ""}}, true,
              {PatternPage(384, 37, 0), PatternPage(384, 5, 5)});
}

// A cut after every page ends each page with ESC FF NUL.
TEST(PreviewRoundTripAfterEncoderMerge, Star) {
    RoundTrip(30, PreviewLanguage::Star, {{"CutMode", {"4"}, ""}});
}

// NIIMBOT B-series (the generation of a model name without D11): rows are
// the whole 384-dot head, identical rows repeat and white rows are runs.
TEST(PreviewRoundTripAfterEncoderMerge, Niimbot) {
    TestPage repeated = PatternPage(384, 9, 3);
    for (unsigned y = 2; y < 6; y++)
        for (unsigned x = 0; x < 384; x++) repeated.SetBit(x, y, x % 5 != 0);
    RoundTrip(31, PreviewLanguage::Niimbot, {}, true,
              {PatternPage(384, 37, 0), repeated, MakePage(384, 300, 0xFF, 1)});
    // The nine-byte generation: no page start, a 13-byte page size.
    RoundTrip(31, PreviewLanguage::Niimbot, {}, true, {PatternPage(384, 37, 0), repeated},
              "*ModelName: \"NIIMBOT B21_PRO\"\n");
}

// Pages as wide as a 24 mm and a 12 mm tape (170 and 85 dots at 180 dpi)
// whose dots lie on the tape's printed pins (its middle 128 and 70): the
// preview draws the tape's width with them in place; white lines are Z.
std::vector<TestPage> PtouchTapes() {
    std::vector<TestPage> pages;
    for (auto [width, pins] : {std::pair{170u, 128u}, {85u, 70u}}) {
        TestPage page = PatternPage(pins, 23, width);
        TestPage tape = MakePage(width, 24, 0xFF, 1, 180);
        for (unsigned y = 0; y < 23; y++)
            for (unsigned x = 0; x < pins; x++)
                tape.SetBit((width - pins) / 2 + x, y, RasterWhite(page, x, y));
        pages.push_back(tape);
    }
    return pages;
}

TEST(PreviewRoundTripAfterEncoderMerge, Ptouch) {
    RoundTrip(33, PreviewLanguage::Ptouch, {}, true, PtouchTapes());
    RoundTrip(33, PreviewLanguage::Ptouch, kCompressed, true, PtouchTapes());
}

// A page longer than one GS v 0 block (255 rows) stays one page.
TEST(PreviewRoundTripAfterEncoderMerge, Phomemo) {
    RoundTrip(32, PreviewLanguage::Phomemo, {}, false,
              {PatternPage(100, 300, 0), PatternPage(64, 5, 5)});
}

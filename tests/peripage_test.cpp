#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "image/RasterImage.h"
#include "support/EscPosBytes.h"
#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
const Bytes kCutLine = {0x10, 0x50}, kGsFf = {0x1D, 0x0C}, kEnd = {0x10, 0xFF, 0xFE, 0x45};

std::string PeriPagePpd() {
    return WritePpd(24,
                    {{"zeMediaTracking",
                      {"Continuous", "Gap", "BLine", "Perforated", "Roll", "Recording", "A4Stock"},
                      ""},
                     {"Darkness", {"3", "0", "9", "Default"}, ""},
                     {"ImageCompress", {"0", "1"}, ""},
                     {"FeedOffset", {"0", "10"}, ""}});
}

Bytes RunPeriPage(const std::vector<TestPage>& pages, const std::string& options = "") {
    FilterResult r = RunFilter(PeriPagePpd(), MakeRaster(pages), options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return r.out;
}

// Opening sequence, density and centring; media < 0 leaves the media piece out.
Bytes Prefix(int media, int density) {
    Bytes out = {0x10, 0xFF, 0xFE, 0x01};
    if (media >= 0) out = out + Bytes{0x10, 0xFF, 0x10, 0x03, static_cast<uint8_t>(media)};
    out = out + Bytes{0x1B, 0x40, 0x00};
    if (density >= 0) out = out + Bytes{0x10, 0xFF, 0x10, 0x00, static_cast<uint8_t>(density)};
    return out + Bytes{0x1B, 0x61, 0x01};
}

Bytes GsV0(unsigned rowBytes, unsigned rows, const Bytes& data) {
    return Bytes{0x1D,
                 0x76,
                 0x30,
                 0x00,
                 static_cast<uint8_t>(rowBytes & 0xFF),
                 static_cast<uint8_t>(rowBytes >> 8),
                 static_cast<uint8_t>(rows & 0xFF),
                 static_cast<uint8_t>(rows >> 8)} +
           data;
}

// 16 x 2 page: a dot at each end of row 0.
TestPage SmallPage() {
    TestPage p = MakePage(16, 2, 0xFF, 1);
    p.SetBit(0, 0, false);
    p.SetBit(15, 0, false);
    return p;
}
const Bytes kSmallRows = {0x80, 0x01, 0x00, 0x00};

struct Compressed {
    unsigned rowBytes = 0, rows = 0;
    Bytes stream;  // the L bytes after the ten-byte header
};

// Reads consecutive compressed bitmap commands starting at `at`.
std::vector<Compressed> ReadCompressed(const Bytes& out, size_t& at) {
    std::vector<Compressed> found;
    while (at + 10 <= out.size() && out[at] == 0x1F && out[at + 1] == 0x00) {
        Compressed c;
        c.rowBytes = out[at + 2] << 8 | out[at + 3];
        c.rows = out[at + 4] << 8 | out[at + 5];
        size_t L = static_cast<size_t>(out[at + 6]) << 24 | out[at + 7] << 16 | out[at + 8] << 8 |
                   out[at + 9];
        at += 10;
        if (at + L > out.size()) break;
        c.stream.assign(out.begin() + static_cast<long>(at),
                        out.begin() + static_cast<long>(at + L));
        at += L;
        found.push_back(c);
    }
    return found;
}

// Puts a zlib header back in front and inflates, which also checks the
// Adler-32 trailer.
Bytes Inflate(const Bytes& stream, size_t expectedSize) {
    Bytes zlib = Bytes{0x78, 0x9C} + stream;
    Bytes out(expectedSize + 1);
    uLongf outLen = out.size();
    if (uncompress(out.data(), &outLen, zlib.data(), zlib.size()) != Z_OK) return {};
    out.resize(outLen);
    return out;
}
}  // namespace

TEST(PeriPage, WholePageInPlainForm) {
    Bytes expected = Prefix(0x01, 3) + GsV0(2, 2, kSmallRows) + kCutLine + kEnd;
    EXPECT_EQ(RunPeriPage({SmallPage()}, "Darkness=3"), expected);
    EXPECT_EQ(RunPeriPage({SmallPage(), SmallPage()}, "Darkness=3"), expected + expected);
}

TEST(PeriPage, MediaTypeAndDensityShapeThePage) {
    struct Case {
        const char* options;
        int media, density;
        Bytes between, after;  // after the bitmap: before and after the feed
    };
    const Bytes feed = {0x1B, 0x4A, 0x4F};
    for (const Case& c : {
             Case{"zeMediaTracking=Continuous Darkness=0", 0x01, 0, {}, kCutLine},
             Case{"zeMediaTracking=Gap Darkness=9", 0x02, 5, kGsFf, {}},
             Case{"zeMediaTracking=BLine Darkness=Default", 0x00, -1, kGsFf, {}},
             Case{"zeMediaTracking=Perforated FeedOffset=10", 0x03, 3, kGsFf + feed, {}},
             Case{"zeMediaTracking=Roll FeedOffset=10", 0x01, 3, feed, kCutLine},
         }) {
        Bytes expected =
            Prefix(c.media, c.density) + GsV0(2, 2, kSmallRows) + c.between + c.after + kEnd;
        EXPECT_EQ(RunPeriPage({SmallPage()}, c.options), expected) << c.options;
    }
}

TEST(PeriPage, RecordingPaperLosesWhiteRowsAtBothEnds) {
    TestPage p = MakePage(12, 9, 0xFF, 1);
    p.SetBit(3, 2, false);
    p.SetBit(11, 5, false);
    TestPage trimmed = MakePage(12, 4, 0xFF, 1);
    trimmed.SetBit(3, 0, false);
    trimmed.SetBit(11, 3, false);
    EXPECT_EQ(RunPeriPage({p}, "zeMediaTracking=Recording"),
              Prefix(0x01, 3) + GsV0(2, 4, PrinterRows(trimmed, 2)) + kEnd);
}

TEST(PeriPage, EightZeroBytesCompressToTheKnownStream) {
    Bytes out = RunPeriPage({MakePage(32, 2, 0xFF, 1)}, "ImageCompress=1");
    Bytes prefix = Prefix(0x01, 3);
    ASSERT_GT(out.size(), prefix.size() + 10);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(prefix.size())), prefix);
    size_t at = prefix.size();
    EXPECT_EQ(Bytes(out.begin() + static_cast<long>(at), out.begin() + static_cast<long>(at + 10)),
              (Bytes{0x1F, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09}));
    std::vector<Compressed> bitmaps = ReadCompressed(out, at);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(Bytes(bitmaps[0].stream.end() - 4, bitmaps[0].stream.end()),
              (Bytes{0x00, 0x08, 0x00, 0x01}));
    EXPECT_EQ(Bytes(out.begin() + static_cast<long>(at), out.end()), kCutLine + kEnd);
}

TEST(PeriPage, CompressedRowsAreLimitedByResolution) {
    struct Case {
        unsigned dpi;
        bool compress;
        unsigned rowBytes;
    };
    for (const Case& c : {Case{203, true, 208}, Case{204, true, 312}, Case{300, true, 312},
                          Case{203, false, 325}, Case{204, false, 325}}) {
        TestPage p = PatternPage(2600, 3, c.dpi);
        Bytes out = RunPeriPage({p}, c.compress ? "ImageCompress=1" : "ImageCompress=0");
        Bytes prefix = Prefix(0x01, 3);
        Bytes rows = PrinterRows(p, c.rowBytes);
        if (!c.compress) {
            EXPECT_EQ(out, prefix + GsV0(c.rowBytes, 3, rows) + kCutLine + kEnd) << c.dpi;
            continue;
        }
        size_t at = prefix.size();
        std::vector<Compressed> bitmaps = ReadCompressed(out, at);
        ASSERT_EQ(bitmaps.size(), 1u) << c.dpi;
        EXPECT_EQ(bitmaps[0].rowBytes, c.rowBytes);
        EXPECT_EQ(bitmaps[0].rows, 3u);
        EXPECT_EQ(Inflate(bitmaps[0].stream, rows.size()), rows) << c.dpi;
        // The length field covers exactly the bytes up to the rest of the page.
        EXPECT_EQ(Bytes(out.begin() + static_cast<long>(at), out.end()), kCutLine + kEnd);
    }
}

TEST(PeriPage, TallPageIsSplitIntoCompleteBitmapCommands) {
    const unsigned height = 65538;
    TestPage p = PatternPage(8, height);
    Bytes rows = PrinterRows(p, 1);
    Bytes first(rows.begin(), rows.begin() + 65535), rest(rows.begin() + 65535, rows.end());

    Bytes plain = RunPeriPage({p});
    EXPECT_EQ(plain, Prefix(0x01, 3) + GsV0(1, 65535, first) + GsV0(1, 3, rest) + kCutLine + kEnd);

    Bytes out = RunPeriPage({p}, "ImageCompress=1");
    size_t at = Prefix(0x01, 3).size();
    std::vector<Compressed> bitmaps = ReadCompressed(out, at);
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(bitmaps[0].rows, 65535u);
    EXPECT_EQ(bitmaps[1].rows, 3u);
    EXPECT_EQ(Inflate(bitmaps[0].stream, first.size()), first);
    EXPECT_EQ(Inflate(bitmaps[1].stream, rest.size()), rest);
    EXPECT_EQ(Bytes(out.begin() + static_cast<long>(at), out.end()), kCutLine + kEnd);
}

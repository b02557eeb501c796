// Decoding of hand-built streams in each printer language.

#include <gtest/gtest.h>

#include "support/PreviewStreams.h"
#include "tools/preview/Summary.h"

namespace {
const Bytes kLabelData = {0x0F, 0xF0, 0xFF, 0xFF, 0xAA, 0x55, 0xFF, 0xFF};  // set bit = white

Bytes TsplExampleBlock() {
    Bytes b;
    Put(b,
        "SIZE 2.00 mm,0.25 mm\r\nSET RIBBON OFF\r\nREFERENCE 0,0\r\nGAP 3 mm,0 mm\r\n"
        "OFFSET 0 mm\r\nDENSITY 8\r\nSPEED 4\r\nSETC AUTODOTTED OFF\r\nSETC PAUSEKEY ON\r\n"
        "SETC WATERMARK ON\r\nCLS\r\nBITMAP 0,0,4,2,1,");
    Put(b, kLabelData);
    Put(b, "\r\nPRINT 1,1\r\n");
    return b;
}
}  // namespace

TEST(PreviewTspl, DecodesTheRawLabelBlockWithItsSettings) {
    tagDecodeResult r = Decode(TsplExampleBlock());
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::TSPL);
    ASSERT_EQ(r.pages.size(), 1u);
    ExpectPage(r.pages[0], {4, 2, Inverted(kLabelData)});
    const auto& s = r.pages[0].settings;
    EXPECT_EQ(SettingOf(s, "size"), "2.00 mm,0.25 mm");
    EXPECT_EQ(SettingOf(s, "gap"), "3 mm,0 mm");
    EXPECT_EQ(SettingOf(s, "density"), "8");
    EXPECT_EQ(SettingOf(s, "speed"), "4");
    EXPECT_EQ(SettingOf(s, "ribbon"), "OFF");
    EXPECT_EQ(SettingOf(s, "pause key"), "ON");
    EXPECT_EQ(SettingOf(s, "compression"), "none");
    EXPECT_EQ(SettingOf(s, "print"), "1,1");
}

TEST(PreviewTspl, ZlibBitmapGivesTheSamePageAsRaw) {
    TestBitmap a = SampleBitmap(0), b = SampleBitmap(1);
    Bytes stream = TsplPage(a, true);
    Put(stream, TsplPage(b, false));
    tagDecodeResult r = Decode(stream);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    ASSERT_EQ(r.pages.size(), 2u);
    ExpectPage(r.pages[0], a);
    ExpectPage(r.pages[1], b);
    EXPECT_EQ(SettingOf(r.pages[0].settings, "compression").rfind("zlib, ", 0), 0u);
}

TEST(PreviewTspl, BitmapPlacedAtAnOddOffsetAndClearedByCls) {
    Bytes b;
    Put(b, "CLS\r\nBITMAP 0,0,1,1,1,");
    Put(b, {0x00});
    Put(b, "\r\nCLS\r\nBITMAP 3,1,1,1,1,");
    Put(b, {0x0F});
    Put(b, "\r\nPRINT 1,1\r\n");
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.pages[0].width, 11u);
    EXPECT_EQ(r.pages[0].height, 2u);
    EXPECT_EQ(r.pages[0].bits, (Bytes{0x00, 0x00, 0x1E, 0x00}));
}

TEST(PreviewCpcl, DecodesTheLabelClippedToPageWidth) {
    // Graphics bytes that look like text lines must be taken as data.
    Bytes data = {'\n', 'P', 'R', 'I', 0xF0, 0x0D, 0x0A, 0x81};
    Bytes b;
    Put(b, "! 0 200 200 2 1\r\nPAGE-WIDTH 12\r\nCG 4 2 0 0\r\n");
    Put(b, data);
    Put(b, "FORM\r\nPRINT\r\n");
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::CPCL);
    ASSERT_EQ(r.pages.size(), 1u);
    const tagDecodedPage& p = r.pages[0];
    EXPECT_EQ(p.width, 12u);
    EXPECT_EQ(p.height, 2u);
    EXPECT_EQ(p.bits, (Bytes{'\n', 'P', 0xF0, 0x00}));  // bits beyond 12 cleared
    EXPECT_EQ(SettingOf(p.settings, "form"), "feed to the next label");
    EXPECT_EQ(SettingOf(p.settings, "label height"), "2 dots");
}

TEST(PreviewEscPos, DecodesPagesSplitAtInitWithFeedsAndCuts) {
    Bytes b = {0x1B, 0x40, 0x00, 0x1B, 0x61, 0x01, 0x1D, 0x76, 0x30, 0x00,
               0x02, 0x00, 0x03, 0x00, 0xFF, 0xC0, 0x80, 0x40, 0x00, 0x00};
    Put(b, {0x1B, 0x4A, 0xFF, 0x1B, 0x4A, 0x40, 0x1D, 0x56, 0x31, 0x1B, 0x70, 0x00, 0xFF, 0xFF});
    Put(b, EscPosPage(SampleBitmap(1)));
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::ESCPOS);
    ASSERT_EQ(r.pages.size(), 2u);
    // The paper fed after the bitmap comes out white below it.
    ExpectPage(r.pages[0], WithWhiteRows({2, 3, {0xFF, 0xC0, 0x80, 0x40, 0x00, 0x00}}, 319));
    EXPECT_EQ(SettingOf(r.pages[0].settings, "feed after"), "319 dots in 2 commands");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "cut"), "partial");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "align"), "center");
    // The pulse right before ESC @ opens the next receipt.
    EXPECT_EQ(SettingOf(r.pages[1].settings, "drawer pulse"), "before printing");
    ExpectPage(r.pages[1], WithWhiteRows(SampleBitmap(1), 0x4F));
    EXPECT_EQ(SettingOf(r.pages[1].settings, "cut"), "full");
}

TEST(PreviewEscPos, BandsStackAndAFeedBetweenThemLeavesWhiteRows) {
    Bytes b = {0x1B, 0x40, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00, 0xAA,
               0x1B, 0x4A, 0x02, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00, 0x55};
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    ASSERT_EQ(r.pages.size(), 1u);
    ExpectPage(r.pages[0], {1, 4, {0xAA, 0x00, 0x00, 0x55}});
}

TEST(PreviewPeriPage, DecodesRawAndDeflatePages) {
    Bytes b = {0x10, 0xFF, 0xFE, 0x01, 0x10, 0xFF, 0x10, 0x03, 0x01, 0x1B, 0x40, 0x00, 0x10,
               0xFF, 0x10, 0x00, 0x03, 0x1B, 0x61, 0x01, 0x1D, 0x76, 0x30, 0x00, 0x02, 0x00,
               0x02, 0x00, 0x12, 0x34, 0x56, 0x78, 0x10, 0x50, 0x10, 0xFF, 0xFE, 0x45};
    // Eight zero bytes deflated: the ten-byte header then the nine bytes after
    // the zlib header, ending in the Adler-32 00 08 00 01.
    Bytes z = ZlibCompress(Bytes(8, 0));
    ASSERT_EQ(z.size(), 11u);
    Put(b, {0x10, 0xFF, 0xFE, 0x01, 0x1F, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09});
    b.insert(b.end(), z.begin() + 2, z.end());
    Put(b, {0x1D, 0x0C, 0x10, 0xFF, 0xFE, 0x45});
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::PeriPage);
    ASSERT_EQ(r.pages.size(), 2u);
    ExpectPage(r.pages[0], {2, 2, {0x12, 0x34, 0x56, 0x78}});
    EXPECT_EQ(SettingOf(r.pages[0].settings, "density"), "3");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "media"), "continuous or roll");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "cut line"), "yes");
    ExpectPage(r.pages[1], {4, 2, Bytes(8, 0)});
    EXPECT_EQ(SettingOf(r.pages[1].settings, "compression"), "deflate, 9 bytes, Adler-32 ok");
    EXPECT_EQ(SettingOf(r.pages[1].settings, "form feed"), "to the next label");
}

// The worked example: bytes 00 00 00 01 02 03 00 00, tree of 7 nodes, one chunk.
Bytes PaperangExample(uint32_t seed) {
    Bytes tree = {0x02, 0x01, 0x01, 0x01, 0x03, 0x00, 0x00, 0x01, 0x01, 0x00,
                  0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x01, 0x01, 0x00,
                  0x00, 0x01, 0x02, 0x00, 0x02, 0x01, 0x00, 0x00};
    Bytes b = PaperangPacket(0x19, {}, seed);
    Put(b, PaperangPacket(0x1C, tree, seed));
    Put(b, PaperangPacket(0x1B, PaperangBitmapParams(0, 4, {0x03, 0xE9, 0x98}), seed));
    Put(b, PaperangPacket(0x1A, {}, seed));
    Put(b, PaperangPacket(0x21, {0x64, 0x00, 0x00, 0x00}, seed));
    return b;
}

TEST(PreviewPaperang, DecodesTheWorkedExample) {
    Bytes b = PaperangExample(kPaperangSeed);
    ASSERT_EQ(b[14 + 42 + 2], 20);  // the bitmap packet's L
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::Paperang);
    ASSERT_EQ(r.pages.size(), 1u);
    ExpectPage(r.pages[0], {4, 2, {0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x00, 0x00}});
    EXPECT_EQ(SettingOf(r.pages[0].settings, "code tree"), "7 nodes");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "paper locate"), "100");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "checksum"), "ok (4 packets)");
    EXPECT_EQ(SettingOf(r.settings, "checksum"), "ok (5 packets)");
}

// Feeds are white rows, the tear-off after the last line too: the paper as
// it comes out. Line bits are least significant first.
TEST(PreviewCat, LinesAndFeedsMakeThePaper) {
    Bytes b = kCatStatusQuery;
    PutCatPacket(b, cat::kQuality, {0x33});
    PutCatPacket(b, cat::kLattice,
                 Bytes(std::begin(cat::kLatticeStart), std::end(cat::kLatticeStart)));
    PutCatPacket(b, cat::kEnergy, {0x00, 0x10});
    PutCatPacket(b, cat::kSpeed, {0x08});
    PutCatPacket(b, cat::kLine, {0x01, 0x80});
    PutCatPacket(b, cat::kFeed, {0x02, 0x00});
    PutCatPacket(b, cat::kLine, {0x0F, 0x00});
    PutCatPacket(b, cat::kFeed, {0x50, 0x00});
    PutCatPacket(b, cat::kLattice, Bytes(std::begin(cat::kLatticeEnd), std::end(cat::kLatticeEnd)));
    Put(b, kCatStatusQuery);
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::Cat);
    ASSERT_EQ(r.pages.size(), 1u);
    ExpectPage(r.pages[0], WithWhiteRows({2, 4, {0x80, 0x01, 0, 0, 0, 0, 0xF0, 0x00}}, 80));
    EXPECT_EQ(SettingOf(r.pages[0].settings, "quality"), "33");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "energy"), "1000");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "speed"), "8");
    EXPECT_EQ(SettingOf(r.pages[0].settings, "feed"), "82 rows in 2 commands");
    EXPECT_EQ(SettingOf(r.settings, "status queries"), "2");

    b[b.size() - 2 - 9] ^= 0x01;  // the lattice end's CRC
    r = Decode(b);
    ASSERT_TRUE(r.error.failed);
    EXPECT_NE(r.error.message.find("CRC"), std::string::npos) << r.error.message;
}

TEST(PreviewPaperang, AllOnesTreeAndSeveralPages) {
    Bytes tree;
    for (int label : {0x100, 0xFE, 0xFF, 0xFE, 0x100, 0xFF}) Put(tree, {label & 0xFF, label >> 8});
    Bytes b = PaperangPacket(0x19, {});
    Put(b, PaperangPacket(0x1C, tree));
    Put(b, PaperangPacket(0x1B, PaperangBitmapParams(0, 4, {0x00, 0xFF})));
    Put(b, PaperangPacket(0x1A, {}));
    Put(b, PaperangPacket(0x16, {0x00, 0x00}));
    Put(b, PaperangPage(SampleBitmap(0)));
    tagDecodeResult r = Decode(b);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    ASSERT_EQ(r.pages.size(), 2u);
    ExpectPage(r.pages[0], {4, 2, Bytes(8, 0xFF)});
    EXPECT_EQ(SettingOf(r.pages[0].settings, "feed"), "0");
    ExpectPage(r.pages[1], SampleBitmap(0));
    EXPECT_EQ(SettingOf(r.pages[1].settings, "compression"), "Huffman, 3 chunks");
}

TEST(PreviewPaperang, ChecksumMismatchIsReportedOrStrictlyAnError) {
    Bytes b = PaperangExample(0x12345678);
    tagDecodeResult lenient = Decode(b);
    ASSERT_FALSE(lenient.error.failed) << lenient.error.message;
    ASSERT_EQ(lenient.pages.size(), 1u);
    EXPECT_EQ(SettingOf(lenient.settings, "checksum"),
              "MISMATCH in 5 of 5 packets, the first at byte 9");
    tagDecodeOptions options;
    options.paperangSeed = 0x12345678;
    EXPECT_EQ(SettingOf(Decode(b, options).settings, "checksum"), "ok (5 packets)");
    options.paperangSeed = kPaperangSeed;
    options.strict = true;
    tagDecodeResult strict = Decode(b, options);
    ASSERT_TRUE(strict.error.failed);
    EXPECT_EQ(strict.error.offset, 9u);
    EXPECT_NE(strict.error.message.find("checksum"), std::string::npos);
}

TEST(PreviewStream, DetectsOrForcesTheLanguageAndSummarises) {
    EXPECT_EQ(DetectLanguage(nullptr, 0), PreviewLanguage::Unknown);
    Bytes odd = {0x42, 0x00};
    odd[0] = 'x';
    tagDecodeResult unknown = Decode(odd);
    ASSERT_TRUE(unknown.error.failed);
    EXPECT_NE(unknown.error.message.find("--language"), std::string::npos);
    EXPECT_TRUE(Decode({}).error.failed);

    // ESC/POS bytes forced as PeriPage still decode (the dialect is a superset).
    tagDecodeOptions forced;
    forced.language = ParseLanguage("PeriPage");
    Bytes esc = EscPosPage(SampleBitmap(1));
    Put(esc, {0x10, 0xFF, 0xFE, 0x45});
    tagDecodeResult r = Decode(esc, forced);
    ASSERT_FALSE(r.error.failed) << r.error.message;
    EXPECT_EQ(r.language, PreviewLanguage::PeriPage);

    std::string text = FormatSummary(r, {"x-1.png"});
    EXPECT_NE(text.find("language: PeriPage\npages: 1\npage 1: 32 x 81 dots\n  image: x-1.png\n"),
              std::string::npos)
        << text;
}

// Streams as other label drivers write them: TSPL lines ended by LF alone or
// the next command straight after the BITMAP data,
// ZPL settings before the first format, graphics stored with ~DG and
// recalled with ^XG (here twice enlarged, cut at the label's bottom edge).
TEST(PreviewForeignStreams, DecodeToTheirDots) {
    struct Row {
        const char* stream;
        PreviewLanguage language;
        uint32_t rowBytes, rows;
        Bytes bits;
        const char* error;  // a part of the message, or null
        size_t pages = 1;   // each with the same bits
    };
    const Row rows[] = {
        {"SIZE 1 mm,1 mm\nCLS\nBITMAP 0,0,1,1,0,\x0F\nPRINT 1\n",
         PreviewLanguage::TSPL,
         1,
         1,
         {0xF0},
         nullptr},
        {"SIZE 1 mm,1 mm\r\nCLS\r\nBITMAP 0,0,1,1,0,\x0FPRINT 1,1\r\n"
         "CLS\r\nBITMAP 0,0,1,1,0,\x0F\r\nPRINT 1,1\r\nCLS\r\nBITMAP 0,0,1,1,0,\x0FPRINT 1\r\n",
         PreviewLanguage::TSPL,
         1,
         1,
         {0xF0},
         nullptr,
         3},
        {"~SD15\r\n^MMT\r\n~DGR:LOGO.GRF,4,1,F0800080\r\n^XA^PW16^LL8^FO2,1^XGR:LOGO.GRF,2,2^FS^XZ",
         PreviewLanguage::ZPL,
         2,
         8,
         {0, 0, 0x3F, 0xC0, 0x3F, 0xC0, 0x30, 0, 0x30, 0, 0, 0, 0, 0, 0x30, 0},
         nullptr},
        {"^XA^FO0,0^XGLOGO^FS^XZ", PreviewLanguage::ZPL, 0, 0, {}, "never stored"},
        {"~DGA,1,1,FF\r\n^XA^XGA,11,1^XZ", PreviewLanguage::ZPL, 0, 0, {}, "magnification"},
    };
    for (const Row& row : rows) {
        Bytes b;
        Put(b, std::string(row.stream));
        tagDecodeOptions options;
        options.language = row.language;
        tagDecodeResult r = Decode(b, options);
        SCOPED_TRACE(row.stream);
        if (row.error) {
            EXPECT_NE(r.error.message.find(row.error), std::string::npos) << r.error.message;
            continue;
        }
        ASSERT_FALSE(r.error.failed) << r.error.message;
        ASSERT_EQ(r.pages.size(), row.pages);
        for (const tagDecodedPage& page : r.pages)
            ExpectPage(page, {row.rowBytes, row.rows, row.bits});
    }
}

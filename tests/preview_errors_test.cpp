// Faulty streams: truncation, corruption and hostile size fields give an
// error with the byte offset, never a crash, and keep what decoded before.

#include <gtest/gtest.h>

#include <functional>

#include "support/PreviewStreams.h"

namespace {

struct TwoPages {
    const char* name;
    std::function<Bytes(const TestBitmap&)> page;
    // Proper prefixes (beyond the first page's end) that are whole streams.
    std::function<bool(size_t length, size_t firstPage, size_t total)> validPrefix;
    bool explicitPageEnd = true;  // ESC/POS pages end only at the next init
    uint32_t feedRows = 0;        // paper fed after the bitmap, decoded as white rows
};

bool OnlyAfterFirstPage(size_t length, size_t firstPage, size_t) {
    return length == firstPage;
}

std::vector<TwoPages> AllLanguages() {
    return {
        {"TSPL raw", [](const TestBitmap& b) { return TsplPage(b, false); }, OnlyAfterFirstPage},
        {"TSPL zlib", [](const TestBitmap& b) { return TsplPage(b, true); }, OnlyAfterFirstPage},
        {"CPCL", CpclPage, OnlyAfterFirstPage},
        {"ESC/POS", EscPosPage, [](size_t, size_t, size_t) { return true; }, false, 0x4F},
        {"PeriPage raw", [](const TestBitmap& b) { return PeriPagePage(b, false); },
         OnlyAfterFirstPage},
        {"PeriPage deflate", [](const TestBitmap& b) { return PeriPagePage(b, true); },
         OnlyAfterFirstPage},
        // The page may also end before its trailing 18-byte locate packet.
        {"Paperang", [](const TestBitmap& b) { return PaperangPage(b); },
         [](size_t length, size_t firstPage, size_t total) {
             return length == firstPage || length == firstPage - 18 || length == total - 18;
         }},
        {"ZPL hex", ZplPage, OnlyAfterFirstPage},
        // The next page starts with a blank line.
        {"EPL2", EplPage,
         [](size_t length, size_t firstPage, size_t) {
             return length == firstPage || length == firstPage + 1;
         }},
        // Prints may end before their closing status query; a print's
        // opening query and quality come before its lattice start.
        {"Cat printer", CatPage,
         [](size_t length, size_t firstPage, size_t total) {
             return length == 9 || length == 18 || length == firstPage - 9 || length == firstPage ||
                    length == firstPage + 9 || length == firstPage + 18 || length == total - 9;
         },
         true, 80},
        // Settings and the feeds after a label are whole streams.
        {"Phomemo", PhomemoPage,
         [](size_t length, size_t firstPage, size_t total) {
             for (size_t settings : {4u, 8u, 11u})
                 if (length == settings || length == firstPage + settings) return true;
             return length == firstPage - 4 || length == firstPage || length == total - 4;
         }},
    };
}

}  // namespace

TEST(PreviewFaults, EveryTruncationFailsWithAnOffsetAndKeepsTheFirstPage) {
    TestBitmap a = SampleBitmap(0), b = SampleBitmap(1);
    for (const TwoPages& lang : AllLanguages()) {
        SCOPED_TRACE(lang.name);
        Bytes stream = lang.page(a);
        size_t firstPage = stream.size();
        Put(stream, lang.page(b));
        tagDecodeResult whole = Decode(stream);
        ASSERT_FALSE(whole.error.failed) << whole.error.message;
        ASSERT_EQ(whole.pages.size(), 2u);
        for (size_t length = 1; length < stream.size(); length++) {
            SCOPED_TRACE(length);
            tagDecodeResult r = DecodeStream(stream.data(), length, {});
            if (r.error.failed) {
                EXPECT_LE(r.error.offset, length);
                EXPECT_FALSE(r.error.message.empty());
            } else {
                EXPECT_TRUE(lang.validPrefix(length, firstPage, stream.size()));
            }
            if (length >= firstPage) {
                ASSERT_GE(r.pages.size(), 1u);
                ExpectPage(r.pages[0], WithWhiteRows(a, lang.feedRows));
                EXPECT_TRUE(r.pages[0].complete || !lang.explicitPageEnd);
            }
        }
    }
}

TEST(PreviewFaults, CorruptedBytesNeverCrash) {
    TestBitmap a = SampleBitmap(0), b = SampleBitmap(1);
    tagDecodeOptions options;
    options.maxPageBytes = 1 << 20;
    for (const TwoPages& lang : AllLanguages()) {
        SCOPED_TRACE(lang.name);
        Bytes stream = lang.page(a);
        Put(stream, lang.page(b));
        for (size_t i = 0; i < stream.size(); i++) {
            for (uint8_t flip : {0xFF, 0x01, 0x80}) {
                Bytes bad = stream;
                bad[i] ^= flip;
                tagDecodeResult r = Decode(bad, options);
                if (r.error.failed) {
                    EXPECT_LE(r.error.offset, bad.size());
                }
                for (const tagDecodedPage& p : r.pages)
                    EXPECT_EQ(p.bits.size(), size_t{p.RowBytes()} * p.height);
            }
        }
    }
}

TEST(PreviewFaults, HugeSizeFieldsAreRefusedWithoutAllocating) {
    Bytes esc = EscPosPage(SampleBitmap(0));
    size_t at = esc.size();
    Put(esc, {0x1D, 0x76, 0x30, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4});
    tagDecodeResult r = Decode(esc);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, at);
    EXPECT_NE(r.error.message.find("limit"), std::string::npos) << r.error.message;
    ASSERT_EQ(r.pages.size(), 1u);
    ExpectPage(r.pages[0], WithWhiteRows(SampleBitmap(0), 0x4F));  // the feed before the fault

    // Within the limit but beyond the input: the data is missing.
    Bytes shortData = {0x1B, 0x40, 0x1D, 0x76, 0x30, 0x00, 0x10, 0x00, 0x10, 0x00, 0xAA};
    r = Decode(shortData);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, 10u);
    EXPECT_NE(r.error.message.find("256 bytes"), std::string::npos) << r.error.message;

    Bytes cpcl;
    Put(cpcl, "! 0 200 200 999999999 1\r\nPAGE-WIDTH 800\r\nPRINT\r\n");
    r = Decode(cpcl);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, 41u);  // the PRINT line

    tagDecodeOptions small;
    small.maxPageBytes = 4;
    r = Decode(TsplPage(SampleBitmap(1), false), small);
    ASSERT_TRUE(r.error.failed);
    EXPECT_NE(r.error.message.find("limit of 4 bytes"), std::string::npos) << r.error.message;
}

TEST(PreviewFaults, CorruptCompressedDataIsNamed) {
    Bytes tspl = TsplPage(SampleBitmap(0), true);
    std::string text(tspl.begin(), tspl.end());
    size_t data = text.find("BITMAP");
    for (int comma = 0; comma < 6; comma++) data = text.find(',', data) + 1;
    tspl[data + 1] ^= 0x20;  // the zlib header check fails
    tagDecodeResult r = Decode(tspl);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, data);
    EXPECT_NE(r.error.message.find("zlib"), std::string::npos) << r.error.message;

    Bytes peri = PeriPagePage(SampleBitmap(0), true);
    size_t adler = peri.size() - 6 - 4;  // before the cut line and the page end
    peri[adler + 3] ^= 1;
    r = Decode(peri);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, adler);
    EXPECT_NE(r.error.message.find("Adler-32"), std::string::npos) << r.error.message;
}

TEST(PreviewFaults, BrokenPaperangPacketsAreNamed) {
    auto expectFault = [](const Bytes& b, size_t offset, const char* text) {
        tagDecodeResult r = Decode(b);
        ASSERT_TRUE(r.error.failed) << text;
        EXPECT_EQ(r.error.offset, offset) << r.error.message;
        EXPECT_NE(r.error.message.find(text), std::string::npos) << r.error.message;
    };
    Bytes begin = PaperangPacket(0x19, {});
    Bytes tree = PaperangPacket(0x1C, FourSymbolTree());
    size_t treeEnd = begin.size() + tree.size();

    Bytes b = begin;
    b.back() = 0x5B;
    expectFault(b, 13, "end byte 5A");

    // A chunk whose last code is cut: 3 bits of 2-bit codes.
    b = begin;
    Put(b, tree);
    Put(b, PaperangPacket(0x1B, PaperangBitmapParams(0, 1, {0x05, 0x40})));
    expectFault(b, treeEnd + 4 + 17, "inside a code");

    // Chunk 1 where chunk 0 belongs.
    b = begin;
    Put(b, tree);
    Put(b, PaperangPacket(0x1B, PaperangBitmapParams(1, 1, FourSymbolChunk({0xFF}))));
    expectFault(b, treeEnd + 9, "expected bitmap chunk 0");

    // A tree whose in-order list does not match its pre-order list.
    Bytes lists = FourSymbolTree();
    std::swap(lists[14], lists[18]);  // in-order 00 and FF
    b = begin;
    Put(b, PaperangPacket(0x1C, lists));
    expectFault(b, begin.size() + 9, "code tree");

    // Two pages, the second cut after its first row: the rows decoded so far
    // are kept as an incomplete page.
    b = PaperangPage(SampleBitmap(1));
    Put(b, begin);
    Put(b, tree);
    Put(b, PaperangPacket(0x1B, PaperangBitmapParams(0, 4, FourSymbolChunk({0, 0xFF, 0, 0x0F}))));
    tagDecodeResult r = Decode(b);
    ASSERT_TRUE(r.error.failed);
    EXPECT_EQ(r.error.offset, b.size());
    ASSERT_EQ(r.pages.size(), 2u);
    ExpectPage(r.pages[0], SampleBitmap(1));
    EXPECT_FALSE(r.pages[1].complete);
    ExpectPage(r.pages[1], {4, 1, {0, 0xFF, 0, 0x0F}});
}

// Brother QL and DYMO streams whose counts disagree: the fault's offset and
// what it is.
TEST(PreviewFaults, LabelRasterCountsAreChecked) {
    const std::string info = "1B 40 1B 69 7A 86 0A 1D 00 02 00 00 00 00 00 ";
    std::string zeros;
    for (int i = 0; i < 90; i++) zeros += "00 ";
    // A Brother P-touch page of 2 lines on 24 mm laminated tape.
    const std::string tape = "1B 40 1B 69 7A 86 01 18 00 02 00 00 00 00 00 ";
    struct Case {
        std::string hex;
        size_t offset;
        const char* text;
    };
    const Case cases[] = {
        {info + "4D 00 67 00 5A " + zeros + "1A", 110, "announced 2 lines, the page has 1"},
        {info + "4D 02 67 00 02 A5 00 1A", 17, "PackBits line longer than 90"},
        {info + "4D 02 67 00 02 F0 00 1A", 17, "PackBits line of 17 bytes"},
        {info + "4D 00 67 00 03 00 00 00", 17, "uncompressed raster line of 3 bytes"},
        {"00 00 1B 40 1B 69 7A 86 0A 1D 00 00 00 00 00 00 00 0C", 18, "expected Ctrl-Z"},
        {tape + "4D 00 5A 1A", 18, "announced 2 lines, the page has 1"},
        {tape + "4D 02 67 02 00 F0 00 1A", 17, "PackBits line longer than 16"},
        {tape + "4D 00 67 11 00 " + zeros.substr(0, 17 * 3), 17, "raster line of 17 bytes"},
        {"1B 40 1B 44 01 17 83 85 1B 45", 5, "ETB runs add up to 10 dots, the line has 8"},
        {"1B 40 1B 44 01 16 FF 1B 47", 9, "expected ESC E"},
        {"1B 40 1B 44 01 16 FF", 7, "expected ESC G or ESC E"},
        {"1B 40 1B 44 01 99", 5, "unknown command 99"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        Bytes b;
        for (size_t i = 0; i + 1 < c.hex.size(); i += 3)
            b.push_back(static_cast<uint8_t>(std::stoul(c.hex.substr(i, 2), nullptr, 16)));
        const tagDecodeResult r = Decode(b);
        ASSERT_TRUE(r.error.failed);
        EXPECT_EQ(r.error.offset, c.offset) << r.error.message;
        EXPECT_NE(r.error.message.find(c.text), std::string::npos) << r.error.message;
    }
}

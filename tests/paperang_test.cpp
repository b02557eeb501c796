#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "languages/paperang/Encoder.h"
#include "support/FilterRunner.h"
#include "support/HfmDecoder.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

namespace {
using Bytes = std::vector<uint8_t>;
constexpr uint32_t kFieldSeed = 0x35769521;

struct Packet {
    uint8_t code = 0;
    Bytes params;
};

uint16_t LE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Crc(uint32_t seed, const Bytes& block) {
    return static_cast<uint32_t>(crc32(seed, block.data(), static_cast<uInt>(block.size())));
}

// The framed packet for a command block, checksum from zlib.
Bytes Frame(const Bytes& block, uint32_t seed = kFieldSeed) {
    Bytes p = {0xA5, 0x01, static_cast<uint8_t>(block.size()),
               static_cast<uint8_t>(block.size() >> 8)};
    p.insert(p.end(), block.begin(), block.end());
    const uint32_t crc = Crc(seed, block);
    for (int i = 0; i < 4; i++) p.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    p.push_back(0x5A);
    return p;
}

// Splits a stream into packets, checking every frame, block header and
// checksum against the seed.
::testing::AssertionResult ParsePackets(const Bytes& s, uint32_t seed, std::vector<Packet>& out) {
    out.clear();
    size_t at = 0;
    while (at < s.size()) {
        if (s.size() - at < 14 || s[at] != 0xA5 || s[at + 1] != 0x01)
            return ::testing::AssertionFailure() << "bad frame start at " << at;
        const size_t L = LE16(&s[at + 2]);
        if (at + 9 + L > s.size() || s[at + 8 + L] != 0x5A || L < 5)
            return ::testing::AssertionFailure() << "bad frame length at " << at;
        const Bytes block(s.begin() + static_cast<long>(at + 4),
                          s.begin() + static_cast<long>(at + 4 + L));
        const uint32_t crc = static_cast<uint32_t>(s[at + 4 + L] | s[at + 5 + L] << 8 |
                                                   s[at + 6 + L] << 16 | s[at + 7 + L] << 24);
        if (crc != Crc(seed, block)) return ::testing::AssertionFailure() << "checksum at " << at;
        if (block[0] != 0x05 || block[2] != 0x03 || LE16(&block[3]) + 5u != L)
            return ::testing::AssertionFailure() << "bad command block at " << at;
        out.push_back({block[1], Bytes(block.begin() + 5, block.end())});
        at += 9 + L;
    }
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> Codes(const std::vector<Packet>& packets) {
    std::vector<uint8_t> codes;
    for (const Packet& p : packets) codes.push_back(p.code);
    return codes;
}

// Decodes one page's tree and bitmap packets; checks chunk numbering and
// the bitmap header on the way.
::testing::AssertionResult DecodePage(const std::vector<Packet>& page, Bytes& out,
                                      unsigned rowBytes) {
    out.clear();
    if (page.size() < 3 || page[1].code != 0x1C)
        return ::testing::AssertionFailure() << "no tree packet";
    const Bytes& t = page[1].params;
    const size_t n = t.size() / 4;
    std::vector<uint16_t> pre(n), in(n);
    for (size_t i = 0; i < n; i++) {
        pre[i] = LE16(&t[2 * i]);
        in[i] = LE16(&t[2 * (n + i)]);
    }
    HfmDecoder decoder;
    if (!decoder.Build(pre, in)) return ::testing::AssertionFailure() << decoder.Error();
    for (size_t i = 2; i < page.size() && page[i].code == 0x1B; i++) {
        const Bytes& b = page[i].params;
        const size_t len = b.size() - 12;
        if (LE16(&b[0]) != i - 2 || LE16(&b[2]) != len + 8 || b[4] != 1 ||
            LE16(&b[5]) != rowBytes || LE16(&b[7]) != 0 || b[9] != 1 || LE16(&b[10]) != len)
            return ::testing::AssertionFailure() << "bad bitmap header in chunk " << i - 2;
        if (!decoder.DecodeChunk(&b[12], len, out))
            return ::testing::AssertionFailure() << decoder.Error();
    }
    return ::testing::AssertionSuccess();
}

// The bytes a 1-bit page is coded from: rows padded to 4 bytes with white,
// bits past the width white, then everything inverted.
Bytes SentBits(const TestPage& page) {
    const unsigned line = page.bytesPerLine(), eff = (page.width + 31) / 32 * 4;
    Bytes out;
    for (unsigned y = 0; y < page.height; y++) {
        for (unsigned x = 0; x < eff; x++) {
            uint8_t b = x < line ? page.pixels[y * line + x] : 0xFF;
            if (x == line - 1 && page.width % 8) b |= static_cast<uint8_t>(0xFF >> page.width % 8);
            out.push_back(static_cast<uint8_t>(~b));
        }
    }
    return out;
}

TestPage RandomPage(unsigned width, unsigned height, unsigned seed) {
    TestPage p = MakePage(width, height, 0xFF, 1);
    std::mt19937 rng(seed);
    for (uint8_t& b : p.pixels) b = rng() % 3 ? 0xFF : static_cast<uint8_t>(rng());
    return p;
}

class CapturePaperang : public CPrinterPaperang {
public:
    using CPrinterPaperang::CPrinterPaperang;
    void WriteSpool(const void* data, int length) override {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        writes.emplace_back(p, p + length);
    }
    std::vector<Bytes> writes;
};

const std::vector<PpdOption> kMediaOption = {
    {"zeMediaTracking", {"Continuous", "Gap", "BLine", "Perforated", "Roll", "Recording"}, ""}};
}  // namespace

TEST(Paperang, WorkedExamplePageByteForByte) {
    CapturePaperang printer;
    const Bytes stored = {0xFF, 0xFF, 0xFF, 0xFE, 0xFD, 0xFC, 0xFF, 0xFF};
    ASSERT_TRUE(printer.image.CreateFromArray(stored.data(), 32, 2, 1, 4, false));
    printer.OnPaintBmp();
    ASSERT_EQ(printer.writes.size(), 1u);

    const Bytes begin = {0x05, 0x19, 0x03, 0x00, 0x00};
    const Bytes tree = {0x05, 0x1C, 0x03, 0x1C, 0x00, 0x02, 0x01, 0x01, 0x01, 0x03, 0x00,
                        0x00, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01,
                        0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x02, 0x01, 0x00, 0x00};
    const Bytes bitmap = {0x05, 0x1B, 0x03, 0x0F, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x01,
                          0x04, 0x00, 0x00, 0x00, 0x01, 0x03, 0x00, 0x03, 0xE9, 0x98};
    const Bytes end = {0x05, 0x1A, 0x03, 0x00, 0x00};
    const Bytes feed = {0x05, 0x16, 0x03, 0x02, 0x00, 0x00, 0x00};
    Bytes expected;
    for (const Bytes* b : {&begin, &tree, &bitmap, &end, &feed}) {
        const Bytes f = Frame(*b);
        expected.insert(expected.end(), f.begin(), f.end());
    }
    EXPECT_EQ(printer.writes[0], expected);
    EXPECT_EQ(Frame(begin).size(), 14u);
    EXPECT_EQ(printer.pageBuffer.GetBufferLength(), 0);
}

TEST(Paperang, ChecksumFollowsTheSeed) {
    Bytes data(1000);
    std::mt19937 rng(3);
    for (uint8_t& b : data) b = static_cast<uint8_t>(rng());
    for (uint32_t seed : {kFieldSeed, 0u, 0xFFFFFFFFu, 0x12345678u}) {
        CPrinterPaperang printer(seed);
        EXPECT_EQ(printer.MakeCrc32(data.data(), static_cast<unsigned>(data.size())),
                  Crc(seed, data))
            << std::hex << seed;
    }
    EXPECT_EQ(CPrinterPaperang().GetCrcSeed(), CPrinterPaperang::kDefaultCrcSeed);
    EXPECT_EQ(CPrinterPaperang::kDefaultCrcSeed, kFieldSeed);
    EXPECT_EQ(CPrinterPaperang(0).MakeCrc32(data.data(), 9),
              static_cast<uint32_t>(crc32(0, data.data(), 9)));
    // Known answers, worked bit by bit: the standard check value, and the
    // same text from the printers' seed.
    const auto* check = reinterpret_cast<const unsigned char*>("123456789");
    EXPECT_EQ(CPrinterPaperang(0).MakeCrc32(check, 9), 0xCBF43926u);
    EXPECT_EQ(CPrinterPaperang().MakeCrc32(check, 9), 0xE211665Cu);

    uint32_t seed = 7;
    EXPECT_TRUE(CPrinterPaperang::ParseSeed("0x0", seed) && seed == 0);
    EXPECT_TRUE(CPrinterPaperang::ParseSeed("0XabcDEF12", seed) && seed == 0xABCDEF12u);
    EXPECT_TRUE(CPrinterPaperang::ParseSeed("4294967295", seed) && seed == 0xFFFFFFFFu);
    for (const char* bad :
         {"", "0x", "0x123456789", "4294967296", "-1", " 1", "1 ", "0x12g4", "12abc", "+5"})
        EXPECT_FALSE(CPrinterPaperang::ParseSeed(bad, seed)) << bad;
}

// Without a codable bitmap the page still carries begin, end and positioning.
TEST(Paperang, PageWithoutBitmapSendsOnlyControlPackets) {
    CapturePaperang empty;
    empty.OnPaintBmp();
    ASSERT_EQ(empty.writes.size(), 1u);
    std::vector<Packet> packets;
    ASSERT_TRUE(ParsePackets(empty.writes[0], kFieldSeed, packets));
    EXPECT_EQ(Codes(packets), (Bytes{0x19, 0x1A, 0x16}));

    // One row whose code needs more bytes than a packet's length field holds.
    CapturePaperang wide;
    Bytes row(66000);
    std::mt19937 rng(5);
    for (uint8_t& b : row) b = static_cast<uint8_t>(rng());
    ASSERT_TRUE(wide.image.CreateFromArray(row.data(), 66000 * 8, 1, 1, 66000, false));
    wide.OnPaintBmp();
    ASSERT_EQ(wide.writes.size(), 1u);
    ASSERT_TRUE(ParsePackets(wide.writes[0], kFieldSeed, packets));
    EXPECT_EQ(Codes(packets), (Bytes{0x19, 0x1A, 0x16}));
}

TEST(PaperangFilter, MediaTypeChoosesTheLastPacket) {
    const std::string ppd = WritePpd(23, kMediaOption);
    const TestPage page = RandomPage(200, 40, 11);
    const std::vector<std::pair<std::string, Packet>> cases = {
        {"Gap", {0x21, {0x64, 0, 0, 0}}}, {"BLine", {0x21, {0x64, 0, 0, 0}}},
        {"Continuous", {0x16, {0, 0}}},   {"Roll", {0x16, {0, 0}}},
        {"Perforated", {0x1A, {}}},       {"Recording", {0x1A, {}}}};
    for (const auto& [choice, last] : cases) {
        SCOPED_TRACE(choice);
        FilterResult r = RunFilter(ppd, MakeRaster({page}), "zeMediaTracking=" + choice);
        ASSERT_EQ(r.exitStatus, 0) << r.err;
        std::vector<Packet> packets;
        ASSERT_TRUE(ParsePackets(r.out, kFieldSeed, packets));
        ASSERT_GE(packets.size(), 4u);
        EXPECT_EQ(packets[0].code, 0x19);
        EXPECT_EQ(packets.back().code, last.code);
        EXPECT_EQ(packets.back().params, last.params);
        const size_t endAt = packets.size() - (last.code == 0x1A ? 1 : 2);
        EXPECT_EQ(packets[endAt].code, 0x1A);
        Bytes decoded;
        ASSERT_TRUE(DecodePage(packets, decoded, 28));
        EXPECT_TRUE(decoded == SentBits(page));
    }
}

TEST(PaperangFilter, SeedComesFromThePpd) {
    const TestPage page = RandomPage(64, 8, 2);
    const std::vector<std::pair<std::string, uint32_t>> cases = {
        {"0x12345678", 0x12345678u}, {"0", 0u},
        {"305419896", 0x12345678u},  {"0x123456789", kFieldSeed},
        {"12abc", kFieldSeed},       {"", kFieldSeed}};
    for (const auto& [text, seed] : cases) {
        SCOPED_TRACE(text);
        const std::string ppd = WritePpd(23, {}, true, "*thermalPaperangSeed: \"" + text + "\"\n");
        FilterResult r = RunFilter(ppd, MakeRaster({page}));
        ASSERT_EQ(r.exitStatus, 0) << r.err;
        std::vector<Packet> packets;
        EXPECT_TRUE(ParsePackets(r.out, seed, packets));
        EXPECT_FALSE(ParsePackets(r.out, seed ^ 1u, packets));
    }
}

TEST(PaperangFilter, EachPageIsItsOwnBurst) {
    const std::vector<TestPage> pages = {RandomPage(384, 120, 1), RandomPage(384, 3, 2),
                                         RandomPage(100, 300, 3)};
    FilterResult r =
        RunFilter(WritePpd(23, kMediaOption), MakeRaster(pages), "zeMediaTracking=Gap");
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::vector<Packet> packets;
    ASSERT_TRUE(ParsePackets(r.out, kFieldSeed, packets));
    std::vector<std::vector<Packet>> bursts;
    for (const Packet& p : packets) {
        if (p.code == 0x19) bursts.emplace_back();
        ASSERT_FALSE(bursts.empty());
        bursts.back().push_back(p);
    }
    ASSERT_EQ(bursts.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bursts[i].back().code, 0x21);
        Bytes decoded;
        ASSERT_TRUE(DecodePage(bursts[i], decoded, (pages[i].width + 31) / 32 * 4));
        EXPECT_TRUE(decoded == SentBits(pages[i]));
    }
    EXPECT_GT(bursts[0].size(), 6u);  // several chunks, numbered from 0 again on each page
}

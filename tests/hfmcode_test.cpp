#include "languages/paperang/HfmCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/HfmDecoder.h"

namespace {
using Bytes = std::vector<uint8_t>;
using Labels = std::vector<uint16_t>;

std::string CodeOf(const CHfmCode::NodeArray& tree, uint16_t symbol) {
    for (size_t i = 0; i < (tree.size() + 1) / 2; i++) {
        if (tree[i].symbol != symbol) continue;
        std::string s;
        for (int b = 0; b < tree[i].codeLen; b++) s += static_cast<char>('0' + tree[i].code[b]);
        return s;
    }
    return "?";
}

Bytes ChunkBytes(const CHfmCode::CChunkList& list, int i) {
    return Bytes(list[i].data, list[i].data + list[i].length);
}

struct Coded {
    CHfmCode::NodeArray tree;
    CHfmCode::CChunkList chunks;
};

Coded Code(const Bytes& page, int width, int chunkLimit = 256) {
    Coded c;
    c.tree = CHfmCode::GetHfmTree(page.data(), static_cast<int>(page.size()));
    c.chunks = CHfmCode::HFMDGencoding(c.tree, page.data(), width,
                                       static_cast<int>(page.size()) / width, chunkLimit);
    return c;
}

// Decodes every chunk with the reference decoder, checks that the page comes
// back and that each chunk holds whole rows within the size rule.
void ExpectRoundTrip(const CHfmCode::NodeArray& tree, const Bytes& page, int width,
                     const std::string& what) {
    SCOPED_TRACE(what);
    CHfmCode::CChunkList chunks = CHfmCode::HFMDGencoding(
        tree, page.data(), width, static_cast<int>(page.size()) / width, 256);
    ASSERT_FALSE(chunks.Empty());
    HfmDecoder decoder;
    ASSERT_TRUE(decoder.Build(CHfmCode::GetTreePreorder(tree), CHfmCode::GetTreeMiddleorder(tree)))
        << decoder.Error();
    Bytes out;
    for (const CHfmCode::HFMCHUNK& c : chunks) {
        const size_t before = out.size();
        ASSERT_TRUE(decoder.DecodeChunk(c.data, static_cast<size_t>(c.length), out))
            << decoder.Error();
        const size_t got = out.size() - before;
        ASSERT_GT(got, 0u);
        ASSERT_EQ(got % static_cast<size_t>(width), 0u) << "chunk splits a row";
        if (got > static_cast<size_t>(width)) {
            EXPECT_LE(c.length, 256);
        }
    }
    EXPECT_TRUE(out == page);
}
}  // namespace

TEST(HfmCode, WorkedExampleTreeListsAndChunk) {
    const Bytes page = {0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x00, 0x00};
    Coded c = Code(page, 4);
    ASSERT_EQ(c.tree.size(), 7u);
    const uint16_t symbols[7] = {0x00, 0x01, 0x02, 0x03, 0x100, 0x101, 0x102};
    for (int i = 0; i < 7; i++) EXPECT_EQ(c.tree[i].symbol, symbols[i]) << i;
    EXPECT_EQ(c.tree[6].weight, 8);
    EXPECT_EQ(c.tree[6].parent, -1);
    EXPECT_EQ(CodeOf(c.tree, 0x00), "1");
    EXPECT_EQ(CodeOf(c.tree, 0x01), "010");
    EXPECT_EQ(CodeOf(c.tree, 0x02), "011");
    EXPECT_EQ(CodeOf(c.tree, 0x03), "00");
    EXPECT_EQ(CHfmCode::GetTreePreorder(c.tree),
              (Labels{0x102, 0x101, 0x03, 0x100, 0x01, 0x02, 0x00}));
    EXPECT_EQ(CHfmCode::GetTreeMiddleorder(c.tree),
              (Labels{0x03, 0x101, 0x01, 0x100, 0x02, 0x102, 0x00}));
    ASSERT_EQ(c.chunks.Count(), 1);
    EXPECT_EQ(ChunkBytes(c.chunks, 0), (Bytes{0x03, 0xE9, 0x98}));
}

TEST(HfmCode, SingleValuePagesGetAnAddedLeaf) {
    Coded ff = Code(Bytes(8, 0xFF), 4);
    ASSERT_EQ(ff.tree.size(), 3u);
    EXPECT_EQ(ff.tree[0].symbol, 0xFF);
    EXPECT_EQ(ff.tree[1].symbol, 0xFE);
    EXPECT_EQ(ff.tree[1].weight, 1);
    EXPECT_EQ(CodeOf(ff.tree, 0xFF), "1");
    EXPECT_EQ(CHfmCode::GetTreePreorder(ff.tree), (Labels{0x100, 0xFE, 0xFF}));
    EXPECT_EQ(CHfmCode::GetTreeMiddleorder(ff.tree), (Labels{0xFE, 0x100, 0xFF}));
    ASSERT_EQ(ff.chunks.Count(), 1);
    EXPECT_EQ(ChunkBytes(ff.chunks, 0), (Bytes{0x00, 0xFF}));

    // One coded byte: both leaves weigh 1 and the real value, first in the
    // array, becomes the left child.
    for (uint8_t v : {uint8_t{0x00}, uint8_t{0x80}}) {
        Coded one = Code(Bytes(1, v), 1);
        EXPECT_EQ(one.tree[1].symbol, v == 0 ? 0x01 : 0x7F);
        EXPECT_EQ(CodeOf(one.tree, v), "0");
        ASSERT_EQ(one.chunks.Count(), 1);
        EXPECT_EQ(ChunkBytes(one.chunks, 0), (Bytes{0x07, 0x00}));
    }
}

TEST(HfmCode, TiesGoToTheLowerIndex) {
    // Equal leaves: the smaller byte value is the left child.
    Coded pair = Code({0x05, 0x03}, 2);
    EXPECT_EQ(CodeOf(pair.tree, 0x03), "0");
    EXPECT_EQ(CodeOf(pair.tree, 0x05), "1");
    // A leaf beats an inner node of the same weight.
    Coded leafFirst = Code({0x01, 0x02, 0x03, 0x03}, 4);
    EXPECT_EQ(CodeOf(leafFirst.tree, 0x03), "0");
    EXPECT_EQ(CodeOf(leafFirst.tree, 0x01), "10");
    EXPECT_EQ(CodeOf(leafFirst.tree, 0x02), "11");
    // Of two inner nodes of the same weight the older one is the left child.
    Coded inner = Code({0x00, 0x01, 0x02, 0x03}, 4);
    EXPECT_EQ(CodeOf(inner.tree, 0x00), "00");
    EXPECT_EQ(CodeOf(inner.tree, 0x03), "11");
    EXPECT_EQ(CHfmCode::GetTreePreorder(inner.tree), (Labels{0x102, 0x100, 0, 1, 0x101, 2, 3}));
}

TEST(HfmCode, AllByteValuesGive511Labels) {
    Bytes page(1024);
    for (size_t i = 0; i < page.size(); i++) page[i] = static_cast<uint8_t>(i * 7 + i / 256);
    CHfmCode::NodeArray tree = CHfmCode::GetHfmTree(page.data(), static_cast<int>(page.size()));
    ASSERT_EQ(tree.size(), 511u);
    for (Labels list : {CHfmCode::GetTreePreorder(tree), CHfmCode::GetTreeMiddleorder(tree)}) {
        ASSERT_EQ(list.size(), 511u);
        std::sort(list.begin(), list.end());
        for (uint16_t i = 0; i < 511; i++) ASSERT_EQ(list[i], i);
    }
    EXPECT_EQ(CHfmCode::GetTreePreorder(tree)[0], 0x1FE);
    ExpectRoundTrip(tree, page, 32, "all values");
}

TEST(HfmCode, ChunksCloseAtTheBitLimit) {
    // All 0xFF: one bit per byte. Two rows of 2039 bits: the first chunk's
    // unused bit carries the second chunk's first bit, the last one is zero.
    Coded a = Code(Bytes(2 * 2039, 0xFF), 2039);
    ASSERT_EQ(a.chunks.Count(), 2);
    Bytes first(256, 0xFF), second(256, 0xFF);
    first[0] = second[0] = 1;
    second[255] = 0xFE;
    EXPECT_EQ(ChunkBytes(a.chunks, 0), first);
    EXPECT_EQ(ChunkBytes(a.chunks, 1), second);

    // 0x01 and 0x02 code in two bits, 0xFF in one: rows of 1000 bytes carry
    // 1000 bits plus one per special byte.
    auto page = [](int specials0, int specials1) {
        Bytes p(3000, 0xFF);
        for (int i = 0; i < specials0; i++) p[static_cast<size_t>(i)] = 0x01 + i % 2;
        for (int i = 0; i < specials1; i++) p[1000 + static_cast<size_t>(i)] = 0x01 + i % 2;
        return p;
    };
    Coded sum2039 = Code(page(20, 19), 1000);
    ASSERT_EQ(CodeOf(sum2039.tree, 0xFF), "1");
    ASSERT_EQ(sum2039.chunks.Count(), 2);
    EXPECT_EQ(sum2039.chunks[0].length, 256);
    EXPECT_EQ(sum2039.chunks[0].data[0], 1);
    Coded sum2040 = Code(page(20, 20), 1000);
    ASSERT_EQ(sum2040.chunks.Count(), 2);  // rows 0 | rows 1 and 2
    EXPECT_EQ(sum2040.chunks[0].length, 1 + 128);
    EXPECT_EQ(sum2040.chunks[1].length, 1 + 253);

    // A first row that alone reaches the limit is a chunk by itself.
    Coded wide = Code(Bytes(2 * 2040, 0xFF), 2040);
    ASSERT_EQ(wide.chunks.Count(), 2);
    EXPECT_EQ(wide.chunks[0].length, 256);
    EXPECT_EQ(wide.chunks[0].data[0], 0);
    Coded wider = Code(Bytes(3 * 2100, 0xFF), 2100);
    ASSERT_EQ(wider.chunks.Count(), 3);
    for (const CHfmCode::HFMCHUNK& c : wider.chunks) EXPECT_EQ(c.length, 1 + 263);
}

TEST(HfmCode, RandomPagesDecodeToThemselves) {
    std::mt19937 rng(20240607);
    struct Shape {
        int width, rows;
    };
    const Shape shapes[] = {{4, 1}, {4, 37}, {48, 100}, {52, 60}, {300, 20}, {1000, 9}};
    for (const Shape& s : shapes) {
        const size_t n = static_cast<size_t>(s.width) * static_cast<size_t>(s.rows);
        Bytes uniform(n), skewed(n), sparse(n, 0x00), few(n);
        std::geometric_distribution<int> geo(0.3);
        for (size_t i = 0; i < n; i++) {
            uniform[i] = static_cast<uint8_t>(rng());
            skewed[i] = static_cast<uint8_t>(std::min(geo(rng), 255));
            if (rng() % 17 == 0) sparse[i] = static_cast<uint8_t>(1u << (rng() % 8));
            few[i] = static_cast<uint8_t>(0x40 + rng() % 3);
        }
        const std::string shape = std::to_string(s.width) + "x" + std::to_string(s.rows);
        for (const auto& [name, page] : {std::pair<const char*, const Bytes&>{"uniform", uniform},
                                         {"skewed", skewed},
                                         {"sparse", sparse},
                                         {"few", few}}) {
            CHfmCode::NodeArray tree = CHfmCode::GetHfmTree(page.data(), static_cast<int>(n));
            ExpectRoundTrip(tree, page, s.width, shape + " " + name);
        }
    }
}

TEST(HfmCode, CodesLongerThanAWordRoundTrip) {
    // A comb-shaped tree: leaf v codes in up to 255 bits.
    CHfmCode::NodeArray tree(511);
    for (int v = 0; v < 256; v++) tree[v].symbol = static_cast<uint16_t>(v);
    for (int k = 256; k < 511; k++) {
        tree[k].symbol = static_cast<uint16_t>(k);
        tree[k].left = k == 256 ? 0 : k - 1;
        tree[k].right = k - 255;
        tree[tree[k].left].parent = tree[tree[k].right].parent = k;
    }
    for (int v = 0; v < 256; v++) {
        int len = 0;
        for (int child = v, up = tree[v].parent; up >= 0; child = up, up = tree[up].parent)
            tree[v].code[len++] = tree[up].right == child ? 1 : 0;
        std::reverse(tree[v].code, tree[v].code + len);
        tree[v].codeLen = len;
    }
    ASSERT_EQ(tree[0].codeLen, 255);
    std::mt19937 rng(7);
    Bytes page(64 * 40);
    for (uint8_t& b : page) b = static_cast<uint8_t>(rng());
    ExpectRoundTrip(tree, page, 64, "comb");
}

TEST(HfmCode, UnusableInputGivesNoResult) {
    const Bytes page = {1, 2, 3, 4};
    EXPECT_TRUE(CHfmCode::GetHfmTree(nullptr, 4).empty());
    EXPECT_TRUE(CHfmCode::GetHfmTree(page.data(), 0).empty());
    EXPECT_TRUE(CHfmCode::GetHfmTree(page.data(), -1).empty());
    CHfmCode::NodeArray tree = CHfmCode::GetHfmTree(page.data(), 4);
    EXPECT_TRUE(CHfmCode::HFMDGencoding(tree, nullptr, 4, 1, 256).Empty());
    EXPECT_TRUE(CHfmCode::HFMDGencoding(tree, page.data(), 4, 0, 256).Empty());
    EXPECT_TRUE(CHfmCode::HFMDGencoding({}, page.data(), 4, 1, 256).Empty());
    const Bytes other = {1, 2, 3, 5};  // 5 has no leaf
    EXPECT_TRUE(CHfmCode::HFMDGencoding(tree, other.data(), 4, 1, 256).Empty());

    CHfmCode::NodeArray loop = tree;
    loop.back().right = static_cast<int>(loop.size()) - 1;  // the root is its own child
    EXPECT_TRUE(CHfmCode::GetTreePreorder(loop).empty());
    EXPECT_TRUE(CHfmCode::GetTreeMiddleorder(loop).empty());

    CHfmCode::NodeArray loose(3);
    loose[0].weight = 4;
    loose[1].weight = loose[2].weight = 2;
    int first = 0, second = 0;
    CHfmCode::GetMinTreeNode(loose.data(), 3, &first, &second);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    CHfmCode::GetMinTreeNode(loose.data(), 1, &first, &second);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, -1);
}

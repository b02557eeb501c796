#include "languages/paperang/HfmCode.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {
// Largest tree: 256 leaves and 255 inner nodes.
constexpr int kMaxNodes = 511;
// Codes up to this length go into the bit accumulator in one step.
constexpr int kFastCodeBits = 56;

// A leaf's code ready for packing.
struct PackCode {
    uint64_t bits = 0;              // right-aligned, valid when len <= kFastCodeBits
    int len = 0;                    // 0: the byte value has no leaf
    const uint8_t* slow = nullptr;  // one byte per bit, for longer codes
};

// Packs codes most significant bit first into a zero-filled byte vector that
// grows on demand.
class BitPacker {
public:
    explicit BitPacker(size_t initialBytes) : m_out(initialBytes + 16) {}

    // Makes room for `bits` more bits.
    void Reserve(uint64_t bits) {
        size_t need = m_pos + static_cast<size_t>(bits / 8) + 16;
        if (need > m_out.size()) m_out.resize(std::max(need, m_out.size() * 2));
    }

    void Put(const PackCode& c) {
        if (c.len <= kFastCodeBits) {
            if (m_count + c.len > 64) Flush();
            m_acc = (m_acc << c.len) | c.bits;
            m_count += c.len;
            return;
        }
        for (int i = 0; i < c.len; i++) {
            if (m_count == 64) Flush();
            m_acc = (m_acc << 1) | c.slow[i];
            m_count++;
        }
    }

    uint64_t BitPosition() const { return static_cast<uint64_t>(m_pos) * 8 + m_count; }

    // Writes out the last partial byte (zero-padded) and returns the packed
    // stream; at least one zero byte follows the last code bit.
    std::vector<uint8_t> Finish() {
        Flush();
        if (m_count > 0) m_out[m_pos++] = static_cast<uint8_t>(m_acc << (8 - m_count));
        m_count = 0;
        return std::move(m_out);
    }

private:
    void Flush() {
        while (m_count >= 8) {
            m_count -= 8;
            m_out[m_pos++] = static_cast<uint8_t>(m_acc >> m_count);
        }
    }

    std::vector<uint8_t> m_out;
    size_t m_pos = 0;
    uint64_t m_acc = 0;
    int m_count = 0;
};

// A chunk as a stretch of the code stream.
struct BitSpan {
    uint64_t start;
    uint64_t bits;
};

// Per-leaf pack codes; false when the node array is not a coder tree.
bool BuildPackCodes(const CHfmCode::NodeArray& tree, PackCode (&codes)[256], int& maxLen) {
    const int n = static_cast<int>(tree.size());
    if (n < 3 || n > kMaxNodes || n % 2 == 0) return false;
    maxLen = 0;
    for (int i = 0; i < (n + 1) / 2; i++) {
        const CHfmCode::HGMRNCODENODE& leaf = tree[static_cast<size_t>(i)];
        if (leaf.symbol > 0xFF || leaf.codeLen < 1 || leaf.codeLen > 255) return false;
        PackCode& c = codes[leaf.symbol];
        c.len = leaf.codeLen;
        c.slow = leaf.code;
        c.bits = 0;
        for (int b = 0; b < leaf.codeLen && b < kFastCodeBits; b++)
            c.bits = (c.bits << 1) | (leaf.code[b] & 1u);
        maxLen = std::max(maxLen, c.len);
    }
    return true;
}

// Packs all rows into one stream and notes the stream position after each
// row; false when a byte value has no leaf.
bool PackRows(const PackCode (&codes)[256], int maxLen, uint64_t estimateBits, const uint8_t* bytes,
              int rowBytes, int rows, std::vector<uint8_t>& stream,
              std::vector<uint64_t>& rowEnds) {
    BitPacker packer(static_cast<size_t>(estimateBits / 8));
    rowEnds.resize(static_cast<size_t>(rows));
    const uint64_t rowMaxBits = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(maxLen);
    for (int r = 0; r < rows; r++) {
        packer.Reserve(rowMaxBits);
        const uint8_t* row = bytes + static_cast<size_t>(r) * static_cast<size_t>(rowBytes);
        bool missing = false;
        for (int x = 0; x < rowBytes; x++) {
            const PackCode& c = codes[row[x]];
            missing |= c.len == 0;
            packer.Put(c);
        }
        if (missing) return false;
        rowEnds[static_cast<size_t>(r)] = packer.BitPosition();
    }
    stream = packer.Finish();
    return true;
}

// Splits the rows into chunks of whole rows under the bit limit.
std::vector<BitSpan> SplitRows(const std::vector<uint64_t>& rowEnds, int chunkLimit) {
    const long long limit = (static_cast<long long>(chunkLimit) - 1) * 8;
    std::vector<BitSpan> spans;
    uint64_t start = 0, running = 0, previous = 0;
    int rowsInChunk = 0;
    for (uint64_t end : rowEnds) {
        const uint64_t rowBits = end - previous;
        previous = end;
        if (rowsInChunk > 0 && static_cast<long long>(running + rowBits) >= limit) {
            spans.push_back({start, running});
            start += running;
            running = rowBits;
            rowsInChunk = 1;
        } else {
            running += rowBits;
            rowsInChunk++;
        }
    }
    spans.push_back({start, running});
    return spans;
}

// Copies `bytes` bytes of the stream starting at bit `start` to dst.
void CopyBits(const uint8_t* stream, uint64_t start, size_t bytes, uint8_t* dst) {
    const uint8_t* src = stream + start / 8;
    const unsigned shift = static_cast<unsigned>(start % 8);
    if (shift == 0) {
        std::memcpy(dst, src, bytes);
        return;
    }
    for (size_t j = 0; j < bytes; j++)
        dst[j] = static_cast<uint8_t>((src[j] << shift) | (src[j + 1] >> (8 - shift)));
}
// Byte frequencies. Four partial tables, so that runs of one value (a page
// is mostly blank) do not make every count wait for the one before.
void CountBytes(const uint8_t* bytes, int count, uint32_t (&histogram)[256]) {
    uint32_t part[4][256] = {};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        part[0][bytes[i]]++;
        part[1][bytes[i + 1]]++;
        part[2][bytes[i + 2]]++;
        part[3][bytes[i + 3]]++;
    }
    for (; i < count; i++) part[0][bytes[i]]++;
    for (int v = 0; v < 256; v++) histogram[v] = part[0][v] + part[1][v] + part[2][v] + part[3][v];
}
}  // namespace

CHfmCode::NodeArray CHfmCode::GetHfmTree(const uint8_t* bytes, int count) {
    if (!bytes || count <= 0) return {};
    uint32_t histogram[256] = {};
    CountBytes(bytes, count, histogram);

    NodeArray nodes;
    try {
        nodes.reserve(kMaxNodes);
        for (int v = 0; v < 256; v++) {
            if (histogram[v] == 0) continue;
            HGMRNCODENODE leaf;
            leaf.weight = histogram[v];
            leaf.symbol = static_cast<uint16_t>(v);
            nodes.push_back(leaf);
        }
        if (nodes.size() == 1) {
            // A second leaf gives the one real value a one-bit code.
            HGMRNCODENODE extra;
            extra.weight = 1;
            const uint16_t v = nodes[0].symbol;
            extra.symbol = static_cast<uint16_t>(v <= 0x7F ? v + 1 : v - 1);
            nodes.push_back(extra);
        }
        const int leaves = static_cast<int>(nodes.size());
        nodes.resize(static_cast<size_t>(2 * leaves - 1));
        for (int k = leaves; k < 2 * leaves - 1; k++) {
            HGMRNCODENODE& inner = nodes[static_cast<size_t>(k)];
            inner.symbol = static_cast<uint16_t>(0x100 + (k - leaves));
            int first = -1, second = -1;
            GetMinTreeNode(nodes.data(), k, &first, &second);
            nodes[static_cast<size_t>(first)].parent = k;
            nodes[static_cast<size_t>(second)].parent = k;
            inner.weight = nodes[static_cast<size_t>(first)].weight +
                           nodes[static_cast<size_t>(second)].weight;
            inner.left = first;
            inner.right = second;
        }
        for (int i = 0; i < leaves; i++) {
            HGMRNCODENODE& leaf = nodes[static_cast<size_t>(i)];
            int len = 0;
            for (int child = i, up = leaf.parent; up >= 0;
                 child = up, up = nodes[static_cast<size_t>(up)].parent)
                leaf.code[len++] = nodes[static_cast<size_t>(up)].right == child ? 1 : 0;
            std::reverse(leaf.code, leaf.code + len);
            leaf.codeLen = len;
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    return nodes;
}

void CHfmCode::GetMinTreeNode(const HGMRNCODENODE* nodes, int count, int* first, int* second) {
    int a = -1, b = -1;
    for (int i = 0; i < count; i++) {
        if (nodes[i].parent != -1) continue;
        if (a < 0 || nodes[i].weight < nodes[a].weight) a = i;
    }
    for (int i = 0; i < count; i++) {
        if (i == a || nodes[i].parent != -1) continue;
        if (b < 0 || nodes[i].weight < nodes[b].weight) b = i;
    }
    if (first) *first = a;
    if (second) *second = b;
}

// The walks stop once they have met more nodes than the tree has, so a
// malformed array (a cycle) cannot run away; depth is at most 511.
void CHfmCode::TreePreorder(const NodeArray& tree, int index, LabelList& out) {
    if (index < 0 || index >= static_cast<int>(tree.size()) || out.size() > tree.size()) {
        out.resize(tree.size() + 1);  // marks the walk as failed
        return;
    }
    const HGMRNCODENODE& node = tree[static_cast<size_t>(index)];
    out.push_back(node.symbol);
    if (node.left < 0 && node.right < 0) return;
    TreePreorder(tree, node.left, out);
    TreePreorder(tree, node.right, out);
}

void CHfmCode::TreeMiddleorder(const NodeArray& tree, int index, LabelList& out) {
    if (index < 0 || index >= static_cast<int>(tree.size()) || out.size() > tree.size()) {
        out.resize(tree.size() + 1);
        return;
    }
    const HGMRNCODENODE& node = tree[static_cast<size_t>(index)];
    const bool leaf = node.left < 0 && node.right < 0;
    if (!leaf) TreeMiddleorder(tree, node.left, out);
    out.push_back(node.symbol);
    if (!leaf) TreeMiddleorder(tree, node.right, out);
}

CHfmCode::LabelList CHfmCode::GetTreePreorder(const NodeArray& tree) {
    if (tree.empty() || tree.size() > kMaxNodes) return {};
    LabelList out;
    try {
        out.reserve(tree.size() + 1);
        TreePreorder(tree, static_cast<int>(tree.size()) - 1, out);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (out.size() != tree.size()) return {};
    return out;
}

CHfmCode::LabelList CHfmCode::GetTreeMiddleorder(const NodeArray& tree) {
    if (tree.empty() || tree.size() > kMaxNodes) return {};
    LabelList out;
    try {
        out.reserve(tree.size() + 1);
        TreeMiddleorder(tree, static_cast<int>(tree.size()) - 1, out);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (out.size() != tree.size()) return {};
    return out;
}

CHfmCode::CChunkList CHfmCode::HFMDGencoding(const NodeArray& tree, const uint8_t* bytes,
                                             int rowBytes, int rows, int chunkLimit) {
    CChunkList list;
    PackCode codes[256];
    int maxLen = 0;
    if (!bytes || rowBytes <= 0 || rows <= 0 || !BuildPackCodes(tree, codes, maxLen)) return list;

    // The leaves' weights estimate the stream length when the tree was built
    // over these bytes; the packer grows if not.
    uint64_t estimateBits = 0;
    for (size_t i = 0; i < (tree.size() + 1) / 2; i++)
        estimateBits += static_cast<uint64_t>(std::max<int64_t>(tree[i].weight, 0)) *
                        static_cast<uint64_t>(tree[i].codeLen);
    estimateBits =
        std::min(estimateBits, static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(rows) *
                                   static_cast<uint64_t>(maxLen));
    try {
        std::vector<uint8_t> stream;
        std::vector<uint64_t> rowEnds;
        if (!PackRows(codes, maxLen, estimateBits, bytes, rowBytes, rows, stream, rowEnds))
            return list;
        const std::vector<BitSpan> spans = SplitRows(rowEnds, chunkLimit);

        uint64_t total = 0;
        for (const BitSpan& s : spans) {
            const uint64_t length = (s.bits + 7) / 8 + 1;
            if (length > INT32_MAX) return list;
            total += length;
        }
        list.m_block.resize(static_cast<size_t>(total));
        list.m_chunks.reserve(spans.size());
        uint8_t* dst = list.m_block.data();
        for (const BitSpan& s : spans) {
            const size_t codeBytes = static_cast<size_t>((s.bits + 7) / 8);
            dst[0] = static_cast<uint8_t>(codeBytes * 8 - s.bits);
            CopyBits(stream.data(), s.start, codeBytes, dst + 1);
            list.m_chunks.push_back({dst, static_cast<int32_t>(codeBytes + 1)});
            dst += codeBytes + 1;
        }
    } catch (const std::bad_alloc&) {
        return CChunkList();
    }
    return list;
}

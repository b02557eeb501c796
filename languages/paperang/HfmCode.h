#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Static Huffman coder over byte values for Paperang bitmaps. The printer
// rebuilds the tree from its pre-order and in-order label lists, so the tree
// shape (including tie-breaks) and the bit order are part of the protocol.
//
// The class holds no state. Results are returned in owning containers; an
// empty result means the input was unusable or memory ran out.
class CHfmCode {
public:
    struct HGMRNCODENODE {
        int64_t weight = 0;  // leaf: occurrences; inner node: sum of the children
        int32_t left = -1;   // child indices, -1 for leaves
        int32_t right = -1;
        int32_t parent = -1;     // -1 for the root and for nodes not joined yet
        int32_t codeLen = 0;     // leaves only
        uint16_t symbol = 0;     // leaf: byte value; inner node k: 0x100 + k
        uint8_t code[256] = {};  // leaves: one bit per byte, root end first
    };

    // One chunk of the coded page: byte 0 is the count of unused bits at the
    // end, then the packed code bits.
    struct HFMCHUNK {
        const uint8_t* data = nullptr;
        int32_t length = 0;
    };

    // The chunks of one coding run; every chunk lies in the one block held here.
    class CChunkList {
    public:
        CChunkList() = default;
        CChunkList(CChunkList&&) = default;
        CChunkList& operator=(CChunkList&&) = default;
        CChunkList(const CChunkList&) = delete;
        CChunkList& operator=(const CChunkList&) = delete;

        int Count() const { return static_cast<int>(m_chunks.size()); }
        bool Empty() const { return m_chunks.empty(); }
        const HFMCHUNK& operator[](int i) const { return m_chunks[static_cast<size_t>(i)]; }
        const HFMCHUNK* begin() const { return m_chunks.data(); }
        const HFMCHUNK* end() const { return m_chunks.data() + m_chunks.size(); }

    private:
        friend class CHfmCode;
        std::vector<uint8_t> m_block;
        std::vector<HFMCHUNK> m_chunks;
    };

    using NodeArray = std::vector<HGMRNCODENODE>;
    using LabelList = std::vector<uint16_t>;

    // Tree over the byte frequencies: leaves first (ascending byte value),
    // then the inner nodes in creation order; the root is the last node.
    static NodeArray GetHfmTree(const uint8_t* bytes, int count);

    // The two unjoined nodes of least weight below `count`; of equal weights
    // the lower index wins. Writes -1 where no such node exists.
    static void GetMinTreeNode(const HGMRNCODENODE* nodes, int count, int* first, int* second);

    // Node labels walked from the root; empty unless exactly every node is met.
    static LabelList GetTreePreorder(const NodeArray& tree);
    static LabelList GetTreeMiddleorder(const NodeArray& tree);

    // Codes `rows` rows of `rowBytes` bytes into chunks of whole rows, each
    // below (chunkLimit - 1) * 8 bits unless one row alone reaches that.
    static CChunkList HFMDGencoding(const NodeArray& tree, const uint8_t* bytes, int rowBytes,
                                    int rows, int chunkLimit);

private:
    static void TreePreorder(const NodeArray& tree, int index, LabelList& out);
    static void TreeMiddleorder(const NodeArray& tree, int index, LabelList& out);
};

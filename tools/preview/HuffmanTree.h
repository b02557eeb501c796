#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The code tree of a Huffman-coded bitmap, rebuilt from its pre-order and
// in-order label lists. Leaves carry byte values (labels below 0x100); a left
// branch is a 0 bit, a right branch a 1 bit.
class CHuffmanTree {
public:
    // `lists` holds 2 × count labels, each u16 little-endian: the pre-order
    // list, then the in-order list. Returns an empty text or the fault.
    std::string Build(const uint8_t* lists, size_t count);
    bool Valid() const { return !m_nodes.empty(); }
    size_t NodeCount() const { return m_nodes.size(); }

    // Decodes one chunk (byte 0: unused bits at the end, then the code bits,
    // most significant first) and appends the bytes to `out`, which may not
    // grow beyond maxOut bytes. Returns an empty text or the fault.
    std::string DecodeChunk(const uint8_t* chunk, size_t size, std::vector<uint8_t>& out,
                            size_t maxOut) const;

private:
    struct Node {
        int child[2] = {-1, -1};
        uint16_t label = 0;
    };
    int BuildRange(size_t inLo, size_t inHi, std::string& error);

    std::vector<Node> m_nodes;
    std::vector<uint16_t> m_pre;
    std::vector<int> m_inPos;  // in-order position by label, -1 when absent
    size_t m_next = 0;
};

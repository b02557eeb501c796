#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A reference decoder for Huffman-coded Paperang bitmaps, written the way a
// printer decodes: the tree is rebuilt from its pre-order and in-order label
// lists alone, then each chunk is walked bit by bit up to its unused-bit count.
class HfmDecoder {
public:
    // False (with the reason in error) when the two lists do not describe one
    // full binary tree.
    bool Build(const std::vector<uint16_t>& preorder, const std::vector<uint16_t>& inorder);

    // Appends the bytes coded in one chunk; false when the chunk is malformed
    // or ends inside a code.
    bool DecodeChunk(const uint8_t* chunk, size_t length, std::vector<uint8_t>& out);

    const std::string& Error() const { return m_error; }

private:
    struct Node {
        int left = -1, right = -1;
        uint16_t label = 0;
    };
    int BuildRange(size_t preAt, size_t inLo, size_t inHi, int depth);

    std::vector<Node> m_nodes;
    std::vector<uint16_t> m_pre;
    std::vector<int> m_inPos;  // in-order position of each label
    int m_root = -1;
    std::string m_error;
};

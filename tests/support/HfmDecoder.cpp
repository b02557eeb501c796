#include "support/HfmDecoder.h"

bool HfmDecoder::Build(const std::vector<uint16_t>& preorder,
                       const std::vector<uint16_t>& inorder) {
    m_nodes.clear();
    m_error.clear();
    m_root = -1;
    if (preorder.empty() || preorder.size() != inorder.size()) {
        m_error = "list sizes differ or are empty";
        return false;
    }
    m_pre = preorder;
    m_inPos.assign(0x10000, -1);
    for (size_t i = 0; i < inorder.size(); i++) {
        if (m_inPos[inorder[i]] >= 0) {
            m_error = "label repeated in the in-order list";
            return false;
        }
        m_inPos[inorder[i]] = static_cast<int>(i);
    }
    m_root = BuildRange(0, 0, inorder.size(), 0);
    if (m_root < 0 && m_error.empty()) m_error = "lists do not form a tree";
    return m_root >= 0;
}

// Builds the subtree whose root is m_pre[preAt] and whose in-order labels are
// positions [inLo, inHi).
int HfmDecoder::BuildRange(size_t preAt, size_t inLo, size_t inHi, int depth) {
    if (depth > 600 || preAt >= m_pre.size()) return -1;
    const uint16_t label = m_pre[preAt];
    const int k = m_inPos[label];
    if (k < static_cast<int>(inLo) || k >= static_cast<int>(inHi)) return -1;
    Node node;
    node.label = label;
    const size_t leftSize = static_cast<size_t>(k) - inLo;
    const size_t rightSize = inHi - static_cast<size_t>(k) - 1;
    if ((leftSize == 0) != (rightSize == 0)) {
        m_error = "node with one child";
        return -1;
    }
    if (leftSize > 0) {
        node.left = BuildRange(preAt + 1, inLo, static_cast<size_t>(k), depth + 1);
        node.right = BuildRange(preAt + 1 + leftSize, static_cast<size_t>(k) + 1, inHi, depth + 1);
        if (node.left < 0 || node.right < 0) return -1;
    }
    m_nodes.push_back(node);
    return static_cast<int>(m_nodes.size()) - 1;
}

bool HfmDecoder::DecodeChunk(const uint8_t* chunk, size_t length, std::vector<uint8_t>& out) {
    if (m_root < 0 || m_nodes[static_cast<size_t>(m_root)].left < 0 || length < 1 || chunk[0] > 7 ||
        (length == 1 && chunk[0] != 0)) {
        m_error = "bad chunk header";
        return false;
    }
    const size_t bits = (length - 1) * 8 - chunk[0];
    int at = m_root;
    for (size_t i = 0; i < bits; i++) {
        const int bit = (chunk[1 + i / 8] >> (7 - i % 8)) & 1;
        at = bit ? m_nodes[static_cast<size_t>(at)].right : m_nodes[static_cast<size_t>(at)].left;
        const Node& n = m_nodes[static_cast<size_t>(at)];
        if (n.left >= 0) continue;
        if (n.label > 0xFF) {
            m_error = "leaf label is not a byte";
            return false;
        }
        out.push_back(static_cast<uint8_t>(n.label));
        at = m_root;
    }
    if (at != m_root) {
        m_error = "chunk ends inside a code";
        return false;
    }
    return true;
}

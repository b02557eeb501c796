#include "tools/preview/HuffmanTree.h"

namespace {
constexpr size_t kMaxNodes = 511;  // 256 leaves and 255 inner nodes

uint16_t Label(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
}  // namespace

std::string CHuffmanTree::Build(const uint8_t* lists, size_t count) {
    m_nodes.clear();
    if (count < 3 || count > kMaxNodes || count % 2 == 0)
        return "code tree with " + std::to_string(count) + " nodes (expected an odd count 3-511)";
    m_pre.resize(count);
    m_inPos.assign(0x10000, -1);
    for (size_t i = 0; i < count; i++) {
        m_pre[i] = Label(lists + 2 * i);
        uint16_t in = Label(lists + 2 * (count + i));
        if (m_inPos[in] != -1) return "code tree label " + std::to_string(in) + " occurs twice";
        m_inPos[in] = static_cast<int>(i);
    }
    m_nodes.reserve(count);
    m_next = 0;
    std::string error;
    BuildRange(0, count, error);
    if (error.empty() && m_nodes[0].child[0] < 0) error = "code tree root is a leaf";
    if (!error.empty()) m_nodes.clear();
    m_pre.clear();
    m_inPos.clear();
    return error;
}

// Builds the subtree whose in-order labels lie in [inLo, inHi); its root is
// the next pre-order label. Depth stays below the 511-node limit.
int CHuffmanTree::BuildRange(size_t inLo, size_t inHi, std::string& error) {
    uint16_t label = m_pre[m_next++];
    int at = m_inPos[label];
    if (at < 0 || static_cast<size_t>(at) < inLo || static_cast<size_t>(at) >= inHi) {
        error = "code tree lists do not describe one tree (label " + std::to_string(label) + ")";
        return -1;
    }
    int index = static_cast<int>(m_nodes.size());
    m_nodes.push_back(Node());
    m_nodes[index].label = label;
    size_t mid = static_cast<size_t>(at);
    bool hasLeft = mid > inLo, hasRight = mid + 1 < inHi;
    if (hasLeft != hasRight) {
        error = "code tree node " + std::to_string(label) + " has only one child";
        return -1;
    }
    if (!hasLeft) {
        if (label > 0xFF) error = "code tree leaf label " + std::to_string(label) + " is no byte";
        return index;
    }
    int left = BuildRange(inLo, mid, error);
    if (!error.empty()) return -1;
    int right = BuildRange(mid + 1, inHi, error);
    if (!error.empty()) return -1;
    m_nodes[index].child[0] = left;
    m_nodes[index].child[1] = right;
    return index;
}

std::string CHuffmanTree::DecodeChunk(const uint8_t* chunk, size_t size, std::vector<uint8_t>& out,
                                      size_t maxOut) const {
    if (m_nodes.empty()) return "no code tree before the bitmap";
    if (size == 0) return "empty bitmap chunk";
    unsigned unused = chunk[0];
    if (unused > 7 || (size == 1 && unused != 0))
        return "bitmap chunk claims " + std::to_string(unused) + " unused bits";
    size_t bits = (size - 1) * 8 - unused;
    int node = 0;
    for (size_t i = 0; i < bits; i++) {
        unsigned bit = (chunk[1 + i / 8] >> (7 - i % 8)) & 1;
        node = m_nodes[node].child[bit];
        if (m_nodes[node].child[0] >= 0) continue;
        if (out.size() >= maxOut) return "bitmap chunk decodes beyond the page size limit";
        out.push_back(static_cast<uint8_t>(m_nodes[node].label));
        node = 0;
    }
    if (node != 0) return "bitmap chunk ends inside a code";
    return "";
}

#include "languages/paperang/Encoder.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "languages/paperang/HfmCode.h"

namespace {
constexpr unsigned char kFrameStart = 0xA5;
constexpr unsigned char kFrameEnd = 0x5A;
constexpr int kFrameOverhead = 9;  // A5 01 L(2) ... checksum(4) 5A
constexpr int kBlockHeader = 5;    // 05 code 03 M(2)
constexpr int kBitmapHeader = 12;
constexpr int kMaxBlock = 0xFFFF;
constexpr int kChunkLimit = 256;
// The end packet and the longest positioning packet that follow the bitmap.
constexpr int kPageTrailer = (kFrameOverhead + kBlockHeader) * 2 + 4;

constexpr unsigned char kCmdFeed = 0x16;
constexpr unsigned char kCmdBeginPrinting = 0x19;
constexpr unsigned char kCmdEndPrinting = 0x1A;
constexpr unsigned char kCmdBitmap = 0x1B;
constexpr unsigned char kCmdHfmTree = 0x1C;
constexpr unsigned char kCmdPaperLocate = 0x21;

void PutLE16(unsigned char* at, unsigned value) {
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void AddLE16(CMyBuffer& b, unsigned value) {
    unsigned char bytes[2];
    PutLE16(bytes, value);
    b.AddBuffer(bytes, 2);
}

void AddLE32(CMyBuffer& b, uint32_t value) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; i++) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    b.AddBuffer(bytes, 4);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

CPrinterPaperang::CPrinterPaperang(uint32_t crcSeed) : m_crcSeed(crcSeed) {
    pageBuffer.SetMaxBufferSize(kPageBufferLimit);
}

CPrinterPaperang::~CPrinterPaperang() = default;

bool CPrinterPaperang::ParseSeed(const char* text, uint32_t& seed) {
    if (!text || !*text) return false;
    uint64_t value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text + 2;
        const size_t count = std::strlen(digits);
        if (count == 0 || count > 8) return false;
        for (const char* p = digits; *p; p++) {
            const int d = HexDigit(*p);
            if (d < 0) return false;
            value = value * 16 + static_cast<uint64_t>(d);
        }
    } else {
        for (const char* p = text; *p; p++) {
            if (*p < '0' || *p > '9') return false;
            value = value * 10 + static_cast<uint64_t>(*p - '0');
            if (value > 0xFFFFFFFFu) return false;
        }
    }
    seed = static_cast<uint32_t>(value);
    return true;
}

// The reflected CRC-32 (polynomial 0xEDB88320) continued from the seed: the
// register starts at its complement. zlib's crc32 does exactly that, several
// bytes per step.
uint32_t CPrinterPaperang::MakeCrc32(const unsigned char* data, unsigned int length) const {
    if (!data || length == 0) return m_crcSeed;
    return static_cast<uint32_t>(crc32(m_crcSeed, data, length));
}

void CPrinterPaperang::AddToBuffer(CMyBuffer& buffer) {
    AddToBuffer(buffer.GetBuffer(), buffer.GetBufferLength());
}

// Appends whole packets only: a packet that would pass the page limit or
// cannot be stored is dropped and the page is marked incomplete.
void CPrinterPaperang::AddToBuffer(const void* data, int length) {
    if (length <= 0 || !data) return;
    const int before = pageBuffer.GetBufferLength();
    if (static_cast<long long>(before) + length > kPageBufferLimit) {
        m_bPacketDropped = true;
        return;
    }
    pageBuffer.AddBuffer(data, length);
    if (pageBuffer.GetBufferLength() != before + length) m_bPacketDropped = true;
}

void CPrinterPaperang::cmdChildClassPackage(const unsigned char* block, int length) {
    if (!block || length <= 0 || length > kMaxBlock) {
        AddLog("cmdChildClassPackage: block of %d bytes not sent", length);
        m_bPacketDropped = true;
        return;
    }
    CMyBuffer packet;
    packet.SetBufferSize(length + kFrameOverhead);
    packet.AddByte(kFrameStart);
    packet.AddByte(0x01);
    AddLE16(packet, static_cast<unsigned>(length));
    packet.AddBuffer(block, length);
    AddLE32(packet, MakeCrc32(block, static_cast<unsigned>(length)));
    packet.AddByte(kFrameEnd);
    if (packet.GetBufferLength() != length + kFrameOverhead) {
        m_bPacketDropped = true;
        return;
    }
    AddToBuffer(packet);
}

void CPrinterPaperang::QueueCommand(unsigned char code, const unsigned char* params, int length) {
    if (length < 0 || length > kMaxBlock - kBlockHeader) {
        AddLog("command 0x%02X: %d parameter bytes not sent", code, length);
        m_bPacketDropped = true;
        return;
    }
    CMyBuffer block;
    block.SetBufferSize(length + kBlockHeader);
    block.AddByte(0x05);
    block.AddByte(code);
    block.AddByte(0x03);
    AddLE16(block, static_cast<unsigned>(length));
    block.AddBuffer(params, length);
    cmdChildClassPackage(block.GetBuffer(), block.GetBufferLength());
}

void CPrinterPaperang::cmdBeginPrinting() {
    QueueCommand(kCmdBeginPrinting, nullptr, 0);
    AddLog("MM_TP_CTRL_PRINT_START");
}

void CPrinterPaperang::cmdEndPrinting() {
    QueueCommand(kCmdEndPrinting, nullptr, 0);
    AddLog("MM_TP_CTRL_PRINT_END");
}

void CPrinterPaperang::cmdFeed(int value) {
    unsigned char params[2];
    PutLE16(params, static_cast<unsigned>(value));
    QueueCommand(kCmdFeed, params, 2);
}

void CPrinterPaperang::cmdPaperLocate(int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    const unsigned char params[4] = {
        static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    QueueCommand(kCmdPaperLocate, params, 4);
}

void CPrinterPaperang::cmdHfmTree(const unsigned char* tree, int length) {
    QueueCommand(kCmdHfmTree, tree, length);
}

void CPrinterPaperang::cmdBitmap(int index, bool compressed, const unsigned char* data,
                                 int length) {
    if (!data || length < 0 || length > kMaxBlock - kBlockHeader - kBitmapHeader) {
        AddLog("cmdBitmap: chunk %d of %d bytes not sent", index, length);
        m_bPacketDropped = true;
        return;
    }
    CMyBuffer params;
    params.SetBufferSize(kBitmapHeader + length);
    AddLE16(params, static_cast<unsigned>(index));
    AddLE16(params, 0);  // length of the rest, filled in below
    params.AddByte(0x01);
    AddLE16(params, image.GetEffWidth());
    AddLE16(params, 0);
    params.AddByte(compressed ? 0x01 : 0x00);
    AddLE16(params, 0);  // chunk length, filled in below
    params.AddBuffer(data, length);
    if (params.GetBufferLength() != kBitmapHeader + length) {
        m_bPacketDropped = true;
        return;
    }
    PutLE16(params.GetBuffer() + 2, static_cast<unsigned>(8 + length));
    PutLE16(params.GetBuffer() + 10, static_cast<unsigned>(length));
    QueueCommand(kCmdBitmap, params.GetBuffer(), params.GetBufferLength());
}

bool CPrinterPaperang::SendBitmap_withHFM() {
    const unsigned char* bits = image.GetBits(0);
    const long long total = static_cast<long long>(image.GetEffWidth()) * image.GetHeight();
    if (!bits || total <= 0 || total > INT32_MAX) return false;
    const int width = static_cast<int>(image.GetEffWidth());
    const int height = static_cast<int>(image.GetHeight());

    const CHfmCode::NodeArray tree = CHfmCode::GetHfmTree(bits, static_cast<int>(total));
    const CHfmCode::LabelList pre = CHfmCode::GetTreePreorder(tree);
    const CHfmCode::LabelList mid = CHfmCode::GetTreeMiddleorder(tree);
    if (pre.empty() || mid.empty()) return false;
    const CHfmCode::CChunkList chunks =
        CHfmCode::HFMDGencoding(tree, bits, width, height, kChunkLimit);
    if (chunks.Empty()) return false;

    // Check that every packet fits its length fields and the whole page
    // fits the page buffer before anything is queued.
    const int treeBytes = 4 * static_cast<int>(tree.size());
    long long pageBytes = static_cast<long long>(pageBuffer.GetBufferLength()) + treeBytes +
                          kBlockHeader + kFrameOverhead;
    for (const CHfmCode::HFMCHUNK& c : chunks) {
        if (c.length > kMaxBlock - kBlockHeader - kBitmapHeader) {
            AddLog("SendBitmap_withHFM: chunk of %d bytes too long for a packet", c.length);
            return false;
        }
        pageBytes += c.length + kBitmapHeader + kBlockHeader + kFrameOverhead;
    }
    if (pageBytes + kPageTrailer > kPageBufferLimit) {
        AddLog("SendBitmap_withHFM: %lld bytes exceed the page buffer", pageBytes);
        return false;
    }

    unsigned char treeData[4 * 511];
    unsigned char* at = treeData;
    for (const CHfmCode::LabelList* list : {&pre, &mid})
        for (uint16_t label : *list) {
            PutLE16(at, label);
            at += 2;
        }
    cmdHfmTree(treeData, treeBytes);
    for (int i = 0; i < chunks.Count(); i++) cmdBitmap(i, true, chunks[i].data, chunks[i].length);
    return true;
}

void CPrinterPaperang::QueuePositioning() {
    const int media = reg.iGap[0];
    if (media == 1 || media == 2) cmdPaperLocate(100);
    if (media == 0 || media == 4) cmdFeed(0);
}

void CPrinterPaperang::OnPaintBmp() {
    AddLog("OnPaintBmp");
    Negative();
    LimitWhiteRuns();
    m_bPacketDropped = false;
    cmdBeginPrinting();
    if (!SendBitmap_withHFM()) AddLog("OnPaintBmp: page sent without its bitmap");
    cmdEndPrinting();
    QueuePositioning();
    if (m_bPacketDropped)
        AddLog("OnPaintBmp: a packet could not be queued, page not sent");
    else
        WriteSpool(pageBuffer.GetBuffer(), pageBuffer.GetBufferLength());
    pageBuffer.InitBuffer(0);
}

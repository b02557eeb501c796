#pragma once

#include <cstdint>

#include "printers/MyBuffer.h"
#include "render/BaseRender.h"

// Encoder for Paperang mini printers: every page is one burst of framed,
// checksummed packets (begin, Huffman tree, coded bitmap chunks, end and a
// paper positioning command), written with one WriteSpool call.
class CPrinterPaperang : public CBaseRender {
public:
    // The checksum register starts from the complement of a seed shared with
    // the printer; printers without a registered key use this one.
    static constexpr uint32_t kDefaultCrcSeed = 0x35769521;
    // Printer setting that overrides the seed, e.g. *thermalPaperangSeed: "0x12345678"
    // in a PPD.
    static constexpr const char* kSeedAttribute = "thermalPaperangSeed";
    static constexpr int kPageBufferLimit = 0x6400000;  // 100 MiB

    explicit CPrinterPaperang(uint32_t crcSeed = kDefaultCrcSeed);
    ~CPrinterPaperang() override;

    void OnPaintBmp() override;

    uint32_t GetCrcSeed() const { return m_crcSeed; }
    void SetCrcSeed(uint32_t seed) { m_crcSeed = seed; }
    uint32_t MakeCrc32(const unsigned char* data, unsigned int length) const;

    // Commands; each queues one packet in pageBuffer.
    void cmdBeginPrinting();
    void cmdEndPrinting();
    void cmdFeed(int value);
    void cmdPaperLocate(int value);
    void cmdHfmTree(const unsigned char* tree, int length);
    void cmdBitmap(int index, bool compressed, const unsigned char* data, int length);
    void cmdChildClassPackage(const unsigned char* block, int length);

    void AddToBuffer(CMyBuffer& buffer);
    void AddToBuffer(const void* data, int length);

    // Queues the tree and bitmap packets; false (nothing queued) when the
    // page cannot be coded.
    bool SendBitmap_withHFM();

    // Parses a seed text: "0x" and 1-8 hex digits, or decimal up to 2^32 - 1.
    static bool ParseSeed(const char* text, uint32_t& seed);

    CMyBuffer pageBuffer;

private:
    void QueueCommand(unsigned char code, const unsigned char* params, int length);
    void QueuePositioning();

    uint32_t m_crcSeed;
    bool m_bPacketDropped = false;
};

#include "languages/peripage/Encoder.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using OutputArea = std::unique_ptr<Bytef, FreeDeleter>;

uint8_t ByteOf(uint32_t v, int shift) {
    return static_cast<uint8_t>((v >> shift) & 0xFF);
}

// Media byte of the opening sequence, or -1 to leave that piece out.
int MediaByte(int media) {
    switch (media) {
        case 2:
            return 0x00;
        case 0:
        case 4:
        case 5:
            return 0x01;
        case 1:
            return 0x02;
        case 3:
            return 0x03;
        default:
            return -1;
    }
}

// Compresses the data into one zlib stream (1 KiB window) in a single pass
// into an area sized by zlib's general bound. Returns the stream size, or 0
// when zlib fails.
size_t Deflate(const void* data, int length, OutputArea& area) {
    z_stream zs{};  // default allocators
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    zs.avail_in = static_cast<uInt>(length);
    // Asked before initialisation: the bound then does not depend on the
    // parameters below.
    const uLong size = deflateBound(&zs, static_cast<uLong>(length));
    if (size > UINT_MAX) return 0;
    area.reset(static_cast<Bytef*>(std::malloc(size)));
    if (!area) return 0;
    zs.next_out = area.get();
    zs.avail_out = static_cast<uInt>(size);
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 10, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return 0;
    const int rc = deflate(&zs, Z_FINISH);
    const int end = deflateEnd(&zs);
    if (rc != Z_STREAM_END || end != Z_OK) return 0;
    return size - zs.avail_out;
}
}  // namespace

void CPrinterPeriPage::cmdInit() {
    AddBytes({0x10, 0xFF, 0xFE, 0x01});
    if (const int m = MediaByte(reg.iGap[0]); m >= 0)
        AddBytes({0x10, 0xFF, 0x10, 0x03, static_cast<uint8_t>(m)});
    AddBytes({0x1B, 0x40, 0x00});
}

void CPrinterPeriPage::cmdDENSITY(int d) {
    if (d < 0) return;
    AddBytes({0x10, 0xFF, 0x10, 0x00, static_cast<uint8_t>(std::min(d, 5))});
}

void CPrinterPeriPage::cmdCutLine() {
    AddBytes({0x10, 0x50});
}

void CPrinterPeriPage::cmdEndPrint() {
    AddBytes({0x10, 0xFF, 0xFE, 0x45});
}

void CPrinterPeriPage::PrintBMP(int xDpi, int yDpi, int rowBytes, int rows, const void* data,
                                int length) {
    if (!halftone.ImageCompress) {
        CPrinterESCPOS::PrintBMP(xDpi, yDpi, rowBytes, rows, data, length);
        return;
    }
    if (!FitsCommand(rowBytes, rows) || length < 0 || (length > 0 && !data)) {
        AddLog("PrintBMP: %d bytes x %d rows do not fit one bitmap command", rowBytes, rows);
        return;
    }
    PrintCompressed(rowBytes, rows, data, length);
}

// 1F 00, row bytes and rows (16-bit big-endian), the stream length L
// (32-bit big-endian), then the zlib stream without its two-byte header.
void CPrinterPeriPage::PrintCompressed(int rowBytes, int rows, const void* data, int length) {
    OutputArea area;
    const size_t stream = Deflate(data, length, area);
    if (stream < 2 || stream - 2 > UINT32_MAX || !Reserve(10 + stream - 2)) {
        AddLog("PrintBMP: compression failed, bitmap left out");
        return;
    }
    const uint32_t L = static_cast<uint32_t>(stream - 2);
    const uint32_t w = static_cast<uint32_t>(rowBytes), h = static_cast<uint32_t>(rows);
    AddBytes({0x1F, 0x00, ByteOf(w, 8), ByteOf(w, 0), ByteOf(h, 8), ByteOf(h, 0), ByteOf(L, 24),
              ByteOf(L, 16), ByteOf(L, 8), ByteOf(L, 0)});
    pageBuffer.AddBuffer(area.get() + 2, static_cast<int>(L));
}

void CPrinterPeriPage::OnPaintBmp() {
    const int media = reg.iGap[0];
    if (media == 5) {
        // Recording paper: no white rows at either end of the page.
        CropWhiteEdge(-1, -1, 0, 0);
        AdjustEffWidthBits();
    }
    int rowBytes = PageRowBytes();
    if (halftone.ImageCompress) rowBytes = std::min(rowBytes, CompressedRowLimit());
    if (!AcceptRowBytes(rowBytes)) return;
    Negative();  // the printer burns set bits
    LimitWhiteRuns();
    CMyBuffer rows;
    if (!GatherRows(rowBytes, rows)) return;

    pageBuffer.InitBuffer(0);
    cmdInit();
    cmdDENSITY(reg.iDensity);
    cmdAlignCenter();
    if (reg.iFeedBefore > 0) PrintAndFeedPaper(reg.iFeedBefore);
    PrintRaster(rowBytes, static_cast<int>(image.GetHeight()), rows);
    if (media >= 1 && media <= 3) AddBytes({0x1D, 0x0C});  // GS FF: to the next label
    if (reg.iFeedAfter > 0) PrintAndFeedPaper(reg.iFeedAfter);
    if (media == 0 || media == 4) cmdCutLine();
    cmdEndPrint();
    FlushPage();
}

#include "languages/escpos/Encoder.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "image/DotLength.h"
#include "printers/RasterBands.h"

namespace {
// Room for the commands around the bitmap, besides one header per band.
constexpr size_t kPageSlack = 4096;
constexpr size_t kBandHeaderRoom = 16;

uint8_t LowByte(int v) {
    return static_cast<uint8_t>(v & 0xFF);
}
uint8_t HighByte(int v) {
    return static_cast<uint8_t>((v >> 8) & 0xFF);
}
}  // namespace

CPrinterESCPOS::CPrinterESCPOS() {
    // A page may exceed the buffer's default maximum; reaching it must not
    // discard the page assembled so far.
    pageBuffer.SetMaxBufferSize(0);
}

void CPrinterESCPOS::cmdInit() {
    AddBytes({0x1B, 0x40, 0x00});
}

void CPrinterESCPOS::cmdAlignCenter() {
    AddBytes({0x1B, 0x61, 0x01});
}

void CPrinterESCPOS::cmdCutPaper(int partial) {
    AddBytes({0x1D, 0x56, static_cast<uint8_t>(partial ? 0x31 : 0x30)});
}

void CPrinterESCPOS::cmdOpenMoneyBox() {
    AddBytes({0x1B, 0x70, 0x00, 0xFF, 0xFF});
}

int CPrinterESCPOS::FeedDots(int mm) const {
    return std::clamp(MmToDots(iDpi, mm, DotRounding::Down), 0, kMaxFeedDots);
}

void CPrinterESCPOS::PrintAndFeedPaper(int mm) {
    FeedRows(static_cast<size_t>(FeedDots(mm)));
}

void CPrinterESCPOS::FeedRows(size_t dots) {
    do {
        const size_t n = std::min<size_t>(dots, 255);
        AddBytes({0x1B, 0x4A, static_cast<uint8_t>(n)});
        dots -= n;
    } while (dots > 0);
}

uint8_t CPrinterESCPOS::ModeByte(int xDpi, int yDpi) {
    const bool xHigh = xDpi > 202, yHigh = yDpi > 202;
    const bool xLow = xDpi == 100, yLow = yDpi == 100;
    if (xHigh && yLow) return 0x01;
    if (xLow && yHigh) return 0x02;
    if (xLow && yLow) return 0x03;
    return 0x00;
}

void CPrinterESCPOS::PrintBMP(int xDpi, int yDpi, int rowBytes, int rows, const void* data,
                              int length) {
    if (!FitsCommand(rowBytes, rows) || length < 0 || (length > 0 && !data)) {
        AddLog("PrintBMP: %d bytes x %d rows do not fit one raster command", rowBytes, rows);
        return;
    }
    if (!Reserve(8 + static_cast<size_t>(length))) {
        AddLog("PrintBMP: out of memory for %d bytes", length);
        return;
    }
    AddBytes({0x1D, 0x76, 0x30, ModeByte(xDpi, yDpi), LowByte(rowBytes), HighByte(rowBytes),
              LowByte(rows), HighByte(rows)});
    pageBuffer.AddBuffer(data, length);
}

bool CPrinterESCPOS::AcceptRowBytes(int rowBytes) {
    if (rowBytes <= kMaxCommandField) return true;
    AddLog("Page skipped: %d bytes per row, a raster command carries at most %d", rowBytes,
           kMaxCommandField);
    return false;
}

bool CPrinterESCPOS::GatherRows(int rowBytes, CMyBuffer& rows) {
    const uint8_t* bits = image.GetBits(0);
    const size_t eff = image.GetEffWidth(), height = image.GetHeight();
    const size_t size = eff * height;
    if (!bits || rowBytes < 0 || static_cast<size_t>(rowBytes) > eff || size > INT_MAX) {
        AddLog("Page skipped: no bitmap to send");
        return false;
    }
    rows.SetBufferSize(static_cast<int>(size));
    if (static_cast<size_t>(rows.GetBufferCapacity()) < size) {
        AddLog("Page skipped: out of memory for %zu bytes", size);
        return false;
    }
    for (size_t y = 0; y < height; y++) rows.AddBuffer(bits + y * eff, rowBytes);
    return true;
}

void CPrinterESCPOS::PrintRaster(int rowBytes, int rows, const CMyBuffer& data) {
    const auto stride = static_cast<size_t>(rowBytes);
    const PackedRows page{data.GetBuffer(), stride, stride, static_cast<size_t>(rows)};
    const int band = receipt.iBandHeight > 0 ? std::min(receipt.iBandHeight, kMaxCommandField)
                                             : kMaxCommandField;
    const std::vector<RowBlock> plan =
        PlanRowBlocks(page, static_cast<size_t>(band), receipt.bBlankFeed != 0);
    Reserve(static_cast<size_t>(data.GetBufferLength()) + plan.size() * kBandHeaderRoom +
            kPageSlack);
    for (const RowBlock& block : plan) {
        if (block.feed) {
            FeedRows(block.count);
            continue;
        }
        const int count = static_cast<int>(block.count);
        PrintBMP(iDpi, iDpi, rowBytes, count, page.Row(block.first),
                 static_cast<int>(block.count * stride));
    }
}

bool CPrinterESCPOS::Reserve(size_t more) {
    const size_t need = static_cast<size_t>(pageBuffer.GetBufferLength()) + more;
    if (need > INT_MAX) return false;
    const size_t capacity = static_cast<size_t>(pageBuffer.GetBufferCapacity());
    if (capacity >= need) return true;
    // Grow by half at least, so that a run of appends stays linear.
    pageBuffer.SetBufferSize(static_cast<int>(
        std::min<size_t>(std::max(need, capacity + capacity / 2), static_cast<size_t>(INT_MAX))));
    if (static_cast<size_t>(pageBuffer.GetBufferCapacity()) < need)
        pageBuffer.SetBufferSize(static_cast<int>(need));
    return static_cast<size_t>(pageBuffer.GetBufferCapacity()) >= need;
}

void CPrinterESCPOS::AddBytes(std::initializer_list<uint8_t> bytes) {
    pageBuffer.AddBuffer(bytes.begin(), static_cast<int>(bytes.size()));
}

void CPrinterESCPOS::FlushPage() {
    WriteSpool(pageBuffer.GetBuffer(), pageBuffer.GetBufferLength());
    pageBuffer.InitBuffer(0);
}

void CPrinterESCPOS::OnPaintBmp() {
    const int rowBytes = PageRowBytes();
    if (!AcceptRowBytes(rowBytes)) return;
    Negative();  // GS v 0 burns set bits
    LimitWhiteRuns();
    CMyBuffer rows;
    if (!GatherRows(rowBytes, rows)) return;

    pageBuffer.InitBuffer(0);
    if (reg.iCashDrawer == 1 && pagesPainted == 0) cmdOpenMoneyBox();
    cmdInit();
    cmdAlignCenter();
    PrintRaster(rowBytes, static_cast<int>(image.GetHeight()), rows);
    if (reg.iFeedAfter > 0) PrintAndFeedPaper(reg.iFeedAfter);
    if (reg.iCutMode == 3) cmdCutPaper(0);
    if (reg.iCutMode == 4) cmdCutPaper(1);
    cmdEndPrint();
    FlushPage();
    pagesPainted++;
}

// The job's last cut, then the drawer opens once the receipt is out.
void CPrinterESCPOS::OnDestroy() {
    if (reg.iCutMode == 1 || reg.iCutMode == 2) cmdCutPaper(reg.iCutMode == 2 ? 1 : 0);
    if (reg.iCashDrawer == 2 && pagesPainted > 0) cmdOpenMoneyBox();
    if (pageBuffer.GetBufferLength() > 0) FlushPage();
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "printers/MyBuffer.h"
#include "render/BaseRender.h"

// ESC/POS receipt printers. A page becomes: init, centring, the page as
// GS v 0 raster image(s), optional feed and cut; assembled in pageBuffer
// and written in one piece. The cash drawer opens once per job: before its
// first page, or after its last page and cut.
// The page sequence calls its steps virtually so that dialects can replace
// single commands.
class CPrinterESCPOS : public CBaseRender {
public:
    CPrinterESCPOS();
    ~CPrinterESCPOS() override = default;

    void OnInit() override {}
    void OnDestroy() override;
    void OnPaintBmp() override;

    virtual void cmdInit();
    virtual void cmdAlignCenter();
    virtual void cmdCutPaper(int partial);
    virtual void PrintAndFeedPaper(int mm);
    virtual void PrintBMP(int xDpi, int yDpi, int rowBytes, int rows, const void* data, int length);
    virtual void cmdEndPrint() {}
    virtual void cmdOpenMoneyBox();

protected:
    // Row bytes and rows of one raster command are 16-bit fields.
    static constexpr int kMaxCommandField = 65535;
    // Upper bound of one paper feed; more is certainly a settings error.
    static constexpr int kMaxFeedDots = 65535;

    static uint8_t ModeByte(int xDpi, int yDpi);
    static bool FitsCommand(int rowBytes, int rows) {
        return rowBytes >= 0 && rowBytes <= kMaxCommandField && rows >= 0 &&
               rows <= kMaxCommandField;
    }

    int FeedDots(int mm) const;
    // Paper feed of this many dots in commands of at most 255; one command
    // of 0 dots when there are none.
    void FeedRows(size_t dots);
    int PageRowBytes() const { return static_cast<int>((image.GetWidth() + 7) / 8); }
    // False (with a log line) when the page cannot be sent at this row width.
    bool AcceptRowBytes(int rowBytes);
    // Copies the first rowBytes bytes of every stored row into rows.
    bool GatherRows(int rowBytes, CMyBuffer& rows);
    // Sends the gathered rows as PrintBMP commands of at most the band
    // height (kMaxCommandField when unset) and, with BlankFeed, the runs of
    // white rows as paper feed.
    void PrintRaster(int rowBytes, int rows, const CMyBuffer& data);
    // Makes room for `more` bytes in pageBuffer; false when memory is short.
    bool Reserve(size_t more);
    void AddBytes(std::initializer_list<uint8_t> bytes);
    void FlushPage();

    CMyBuffer pageBuffer;
    int pagesPainted = 0;
};

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/BaseRender.h"

// NIIMBOT label makers: packets of languages/niimbot/NiimbotPacket.h over
// Bluetooth LE or a USB serial port. A page is one print: density, label
// type, print start, page start, page size, the rows, page end, then the
// progress query and print end. Rows go out as the head's full width with
// the page centred on it: runs of white as empty-row packets, a row with
// dots as a bitmap packet whose repeat count covers the identical rows
// after it. One WriteSpool per page.
//
// The model chooses the generation (NiimbotGeneration): the driver's, or
// the one the printer reports (the application asks it for its model id).
// The narrow D-series turns a page wider than its head a quarter turn
// clockwise, so that the head spans the label's short side.
enum class NiimbotStart {
    Short,  // PrintStart [01], PrintClear, PageStart, 4-byte page size, PrintQuantity
    Long,   // PrintStart [pages u16, 0 x 4, colour], PageStart, 6-byte page size
    Nine,   // PrintStart of 9 bytes, a heartbeat, no PageStart, 13-byte page size
};

struct NiimbotGeneration {
    const char* name;
    int headDots;
    int darknessMax;      // highest density; Darkness level d is density d + 1
    int darknessDefault;  // when the job sets none
    bool sideways;        // pages wider than the head are turned
    NiimbotStart start;
};

class CPrinterNiimbot : public CBaseRender {
public:
    static constexpr uint32_t kMaxRows = 0xFFFF;  // row numbers are 16-bit

    void OnPaintBmp() override;

    // The generation of the driver's or PPD's model name.
    static const NiimbotGeneration& GenerationOf(std::string_view modelName);
    // The label type byte of the job's media tracking.
    uint8_t LabelType() const;
    uint8_t Density(const NiimbotGeneration& g) const;

private:
    // The page as head rows, `bytes` bytes each, in feed order.
    std::vector<uint8_t> HeadRows(const NiimbotGeneration& g, uint32_t& rows) const;
    bool Dot(uint32_t x, uint32_t y) const;
};

// The three count bytes of a bitmap row: the dots of each third of the head
// when the row fits in three chunks of headDots / 24 bytes, else 0, the
// total's low byte, its high byte.
std::array<uint8_t, 3> NiimbotDotCounts(const uint8_t* row, size_t bytes, int headDots);

// Appends the rows as empty-row and bitmap-row packets.
void AppendNiimbotRows(std::string& out, const std::vector<uint8_t>& lines, size_t bytes,
                       int headDots);

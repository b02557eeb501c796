#pragma once

#include <cstdint>
#include <string>

#include "render/BaseRender.h"

// Cat printers (GB01 and kin): a 384-dot, 203-dpi head on 58 mm paper,
// reached over Bluetooth Low Energy, where every byte costs airtime. A page
// is one print: status query, quality, lattice start, energy, image mode,
// speed, one packet per dot line that has a dot, the runs of white lines and
// the tear-off feed as feed packets, lattice end, status query. One
// WriteSpool per page.
//
// Darkness level d (0 to 6, the PPD's Darkness) becomes the energy
// 0x1000 + 0x800 * d: 0x1000 lightest, 0x4000 darkest, 0x2800 when the job
// sets none. The speed byte is the PPD's zePrintRate choice as it stands
// (smaller prints slower and darker), kUsualSpeed when the job sets none.
class CPrinterCat : public CBaseRender {
public:
    static constexpr int kHeadDots = 384;
    static constexpr int kLineBytes = kHeadDots / 8;
    static constexpr int kDarknessLevels = 7;
    static constexpr int kUsualDarkness = 3;
    static constexpr uint8_t kUsualSpeed = 32;
    static constexpr uint8_t kQuality = 0x33;

    void OnPaintBmp() override;

    static uint16_t EnergyOf(int darkness);
    static uint8_t SpeedOf(int speed);

private:
    void AppendStart(std::string& out) const;
    void AppendLines(std::string& out) const;
    void FillLine(uint8_t* line, uint32_t row) const;
};

// Feeds `rows` dot lines as feed packets of at most 255 rows each.
void AppendCatFeed(std::string& out, uint32_t rows);

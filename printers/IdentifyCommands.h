#pragma once

#include <cstdint>
#include <vector>

#include "printers/PrinterPaperang.h"

// What a printer is sent when a user asks it to show itself: paper moves
// and nothing is printed. Receipt and mini printers feed a few blank lines,
// label printers feed one blank label with their language's own command.
struct IdentifySettings {
    uint32_t paperangSeed =
        CPrinterPaperang::kDefaultCrcSeed;  // a Paperang printer's checksum seed
};

// The bytes for the printer language of a PPD model number; empty when the
// language has none.
std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings);

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// What a printer is sent when a user asks it to show itself: paper moves
// and nothing is printed. Receipt and mini printers feed a few blank lines,
// label printers feed one blank label with their language's own command.
// Each language's row in the language table points at its function.
struct IdentifySettings {
    std::optional<uint32_t> paperangSeed;  // a Paperang printer's checksum seed; none: the default
};
using IdentifyMaker = std::vector<uint8_t> (*)(const IdentifySettings&);

std::vector<uint8_t> IdentifyTspl(const IdentifySettings&);
std::vector<uint8_t> IdentifyEscPos(const IdentifySettings&);
std::vector<uint8_t> IdentifyCpcl(const IdentifySettings&);
std::vector<uint8_t> IdentifyPaperang(const IdentifySettings&);
std::vector<uint8_t> IdentifyPeriPage(const IdentifySettings&);
std::vector<uint8_t> IdentifyZpl(const IdentifySettings&);
std::vector<uint8_t> IdentifyEpl(const IdentifySettings&);
std::vector<uint8_t> IdentifyDymo(const IdentifySettings&);

// The bytes for the printer language of a PPD model number; empty when the
// language has none.
std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings);

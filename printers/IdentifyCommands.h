#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// What a printer is sent when a user asks it to show itself: paper moves
// and nothing is printed. Receipt and mini printers feed a few blank lines,
// label printers feed one blank label with their language's own command.
// Each language's row in the language table points at its function, in its
// languages/<name>/Identify.cpp.
struct IdentifySettings {
    std::optional<uint32_t> paperangSeed;  // a Paperang printer's checksum seed; none: the default
};
using IdentifyMaker = std::vector<uint8_t> (*)(const IdentifySettings&);

// A command written as text, as bytes.
inline std::vector<uint8_t> CommandBytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// The bytes for the printer language of a PPD model number; empty when the
// language has none.
std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings);

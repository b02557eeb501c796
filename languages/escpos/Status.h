#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "printers/PrinterConditions.h"

// ESC/POS real-time status, which PeriPage printers answer too: DLE EOT 1
// (printer), 2 (offline cause), 3 (error cause), 4 (roll paper sensor), sent
// together; one byte back for each, in order.
inline constexpr std::string_view kDleEotQuery{"\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04",
                                               12};

bool DleEotComplete(std::span<const uint8_t> reply);
PrinterConditions ParseDleEot(std::span<const uint8_t> reply);

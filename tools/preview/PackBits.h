#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/preview/DecodeContext.h"

// Expands one PackBits-packed raster line into `line`. Returns the bytes
// written, or -1 once it has failed the context at `at` (header 128, a run
// past the data's end, or more bytes than `line` holds).
long UnpackBitsLine(CDecodeContext& ctx, size_t at, const uint8_t* data, size_t size,
                    std::span<uint8_t> line);

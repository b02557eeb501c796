#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class InflateFormat { Zlib, RawDeflate };

// Inflates a compressed block that must hold exactly `expected` bytes and end
// within the input. Returns an empty text on success, else what went wrong;
// `consumed` receives the number of input bytes the stream used.
std::string InflateExact(const uint8_t* in, size_t inSize, InflateFormat format, size_t expected,
                         std::vector<uint8_t>& out, size_t& consumed);

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Appends `size` bytes as TIFF PackBits: a header h of 0..127 is followed by
// h + 1 literal bytes, a header of 129..255 (-127..-1) by one byte repeated
// 257 - h times. 128 is never written.
void AppendPackBits(std::string& out, const uint8_t* data, size_t size);

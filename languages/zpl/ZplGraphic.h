#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The data of a ZPL graphic field (^GFA). Rows are whole bytes, MSB first,
// a set bit prints black.

// Uppercase hex, two digits per byte, with the run-length compression: a
// count letter before a repeated digit (G-Y 1-19, g-z 20-400, added up),
// ',' and '!' for a row that ends in 0s or Fs, ':' for a repeated row.
// `stride` is the distance between rows in memory.
void AppendZplHex(std::string& out, const uint8_t* rows, size_t stride, uint32_t rowBytes,
                  uint32_t height);

// ":Z64:" + base64 of the zlib stream of `length` packed bytes + ':' + the
// CRC-16 of the base64 text in four hex digits. False when zlib fails.
bool AppendZplZ64(std::string& out, const uint8_t* packed, size_t length);

void AppendBase64(std::string& out, const uint8_t* data, size_t length);

#pragma once

#include <cstdint>
#include <vector>

// Small images written in memory for tests: white with a black band over the
// top tenth.
enum class PngKind {
    Gray8,
    Gray1,
    GrayAlpha,  // black everywhere, transparent below the band
};
std::vector<uint8_t> BandPng(uint32_t width, uint32_t height, PngKind kind = PngKind::Gray8);
std::vector<uint8_t> BandJpeg(uint32_t width, uint32_t height);

// The same files declaring another size in their header (the data stays).
std::vector<uint8_t> WithPngSize(std::vector<uint8_t> png, uint32_t width, uint32_t height);
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height);

// A PNG of 8-bit gray pixels, row 0 first; and any PNG file read back as
// 8-bit gray (false when it cannot be read).
std::vector<uint8_t> GrayPng(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels);
bool ReadGrayPng(const char* path, uint32_t& width, uint32_t& height, std::vector<uint8_t>& pixels);
// The PNG stating a resolution (a pHYs chunk after its header).
std::vector<uint8_t> WithPngResolution(std::vector<uint8_t> png, uint32_t dpi);

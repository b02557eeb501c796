#include "support/ImageFiles.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

// jpeglib.h needs FILE declared first.
#include <jpeglib.h>

namespace {
bool InBand(uint32_t y, uint32_t height) {
    return y < height / 10;
}

// One row of the picture in the layout of the kind.
std::vector<png_byte> PngRow(uint32_t y, uint32_t width, uint32_t height, PngKind kind) {
    const png_byte gray = InBand(y, height) ? 0 : 255;
    if (kind == PngKind::Gray1) return std::vector<png_byte>((width + 7) / 8, gray);
    if (kind == PngKind::Gray8) return std::vector<png_byte>(width, gray);
    std::vector<png_byte> row(size_t{width} * 2, 0);  // black, opaque in the band only
    for (uint32_t x = 0; x < width; x++) row[x * 2 + 1] = static_cast<png_byte>(255 - gray);
    return row;
}

void Append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PutBigEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int length) {
    for (int i = 0; i < length; i++)
        bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * (length - 1 - i)));
}
}  // namespace

std::vector<uint8_t> BandPng(uint32_t width, uint32_t height, PngKind kind) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, nullptr);
    const int bits = kind == PngKind::Gray1 ? 1 : 8;
    const int color = kind == PngKind::GrayAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, width, height, bits, color, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; y++) png_write_row(png, PngRow(y, width, height, kind).data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> BandJpeg(uint32_t width, uint32_t height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width);
    while (info.next_scanline < height) {
        std::fill(row.begin(), row.end(), InBand(info.next_scanline, height) ? 0 : 255);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// IHDR is the first chunk: its size at 16 and 20, its CRC after its 13 bytes.
std::vector<uint8_t> WithPngSize(std::vector<uint8_t> png, uint32_t width, uint32_t height) {
    PutBigEndian(png, 16, width, 4);
    PutBigEndian(png, 20, height, 4);
    const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);
    PutBigEndian(png, 29, static_cast<uint32_t>(crc), 4);
    return png;
}

// The baseline frame header (FF C0): length, precision, height, width.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < jpeg.size(); i++) {
        if (jpeg[i] != 0xff || jpeg[i + 1] != 0xc0) continue;
        PutBigEndian(jpeg, i + 5, height, 2);
        PutBigEndian(jpeg, i + 7, width, 2);
        return jpeg;
    }
    throw std::runtime_error("no baseline frame header");
}

std::vector<uint8_t> GrayPng(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_GRAY;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

bool ReadGrayPng(const char* path, uint32_t& width, uint32_t& height,
                 std::vector<uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_GRAY;
    pixels.resize(PNG_IMAGE_SIZE(image));
    width = image.width;
    height = image.height;
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

std::vector<uint8_t> WithPngResolution(std::vector<uint8_t> png, uint32_t dpi) {
    const uint32_t ppm = static_cast<uint32_t>(dpi / 0.0254 + 0.5);
    std::vector<uint8_t> chunk(21);
    PutBigEndian(chunk, 0, 9, 4);
    std::memcpy(&chunk[4], "pHYs", 4);
    PutBigEndian(chunk, 8, ppm, 4);
    PutBigEndian(chunk, 12, ppm, 4);
    chunk[16] = 1;  // per metre
    PutBigEndian(chunk, 17, static_cast<uint32_t>(crc32(0, &chunk[4], 13)), 4);
    const size_t afterHeader = 8 + 25;  // signature, IHDR chunk
    png.insert(png.begin() + static_cast<long>(afterHeader), chunk.begin(), chunk.end());
    return png;
}

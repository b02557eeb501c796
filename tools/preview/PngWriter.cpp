#include "tools/preview/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// libpng reports errors by longjmp; this frame holds no objects with
// destructors between setjmp and the jump.
bool WriteRows(FILE* file, const tagDecodedPage& page, uint8_t* row, char* message) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(message, 128, "out of memory for the PNG writer");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::snprintf(message, 128, "PNG encoding failed");
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);  // long receipts exceed the default
    png_set_IHDR(png, info, page.width, page.height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    size_t rowBytes = page.RowBytes();
    for (uint32_t y = 0; y < page.height; y++) {
        // Gray 0 is black in PNG, so dots (set bits) are inverted.
        const uint8_t* src = &page.bits[size_t{y} * rowBytes];
        for (size_t i = 0; i < rowBytes; i++) row[i] = static_cast<uint8_t>(~src[i]);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePagePng(const std::string& path, const tagDecodedPage& page, std::string& error) {
    if (!page.HasBitmap()) {
        error = "page has no bitmap";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> row(page.RowBytes());
    char message[128] = "";
    bool ok = WriteRows(file, page, row.data(), message);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        std::snprintf(message, sizeof message, "%s", std::strerror(errno));
    }
    if (!ok) error = path + ": " + message;
    return ok;
}

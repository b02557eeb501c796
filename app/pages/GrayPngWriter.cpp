#include "app/pages/GrayPngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {
// libpng reports errors by longjmp: this frame holds nothing with a
// destructor between setjmp and the jump.
bool WriteRows(FILE* file, const GrayCanvas& canvas, int dpi) {
    if (canvas.width <= 0 || canvas.height <= 0) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width),
                 static_cast<png_uint_32>(canvas.height), 8, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (dpi > 0) {
        const auto perMetre = static_cast<png_uint_32>(dpi / 0.0254 + 0.5);
        png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    for (int y = 0; y < canvas.height; y++)
        png_write_row(png, canvas.pixels.data() + static_cast<size_t>(y) * canvas.width);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

bool WriteGrayPng(FILE* file, const GrayCanvas& canvas, int dpi) {
    return WriteRows(file, canvas, dpi);
}

bool WriteGrayPng(const std::string& path, const GrayCanvas& canvas, int dpi, std::string& error) {
    if (canvas.width <= 0 || canvas.height <= 0) {
        error = "an empty picture";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = WriteRows(file, canvas, dpi);
    if (!ok) error = path + ": PNG encoding failed";
    if (std::fclose(file) != 0 && ok) {
        error = path + ": " + std::strerror(errno);
        ok = false;
    }
    return ok;
}

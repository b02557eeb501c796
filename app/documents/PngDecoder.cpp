#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/documents/DecodedImage.h"

namespace {
constexpr size_t kSignatureBytes = 8;
constexpr int kLoggedWarnings = 10;

// One decode's libpng state. libpng reports errors by a long jump back to
// Decode(), so everything it touches lives here and no frame it skips owns
// anything.
struct PngRead {
    PngRead(FILE* f, ImageJob& j, DecodedImage& i) : file(f), job(j), image(i) {}
    ~PngRead() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    PngRead(const PngRead&) = delete;
    PngRead& operator=(const PngRead&) = delete;

    FILE* file;
    ImageJob& job;
    DecodedImage& image;
    png_structp png = nullptr;
    png_infop info = nullptr;
    int passes = 1;
    int warnings = 0;
    std::vector<png_bytep> rows;
    char error[256] = "";
    bool jobFailed = false;  // the job has its message already
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* read = static_cast<PngRead*>(png_get_error_ptr(png));
    std::snprintf(read->error, sizeof read->error, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message) {
    auto* read = static_cast<PngRead*>(png_get_error_ptr(png));
    if (read->warnings++ < kLoggedWarnings)
        LogImage(read->job, ImageLog::Warning, "PNG: %s", message);
}

// libpng reserves a chunk as long as the file says before reading it, and
// only warns when that is over its own limit (8 MB): a file of a few bytes
// could make it reserve 2 GB. Larger pieces than that limit are refused;
// libpng skips an ancillary chunk that it cannot reserve, and fails others.
png_voidp Allocate(png_structp png, png_alloc_size_t size) {
    if (size > png_get_chunk_malloc_max(png)) return nullptr;
    return std::malloc(size);
}

void Release(png_structp, png_voidp memory) {
    std::free(memory);
}

bool Open(PngRead& r) {
    png_byte signature[kSignatureBytes];
    if (std::fread(signature, 1, kSignatureBytes, r.file) != kSignatureBytes ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return FailImage(r.job, ImageFault::Format, "The document is not a PNG image.");
    r.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &r, OnError, OnWarning, nullptr,
                                     Allocate, Release);
    if (r.png) r.info = png_create_info_struct(r.png);
    if (!r.info)
        return FailImage(r.job, ImageFault::System, "Not enough memory to read the PNG image.");
    return true;
}

// 8-bit gray or sRGB, transparency over white: what PAPPL's own reader asks
// for, so images print as before. Unlike it, gray of 1, 2 or 4 bits is
// scaled to 0-255 and transparent gray put over white; PAPPL printed both
// nearly all black.
void SetTransforms(PngRead& r) {
    int color = png_get_color_type(r.png, r.info);
    if (png_get_valid(r.png, r.info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(r.png);
        color |= PNG_COLOR_MASK_ALPHA;
    }
    const int bits = png_get_bit_depth(r.png, r.info);
    if (bits > 8) png_set_scale_16(r.png);
    if (bits < 8 && !(color & PNG_COLOR_MASK_COLOR)) png_set_expand_gray_1_2_4_to_8(r.png);
    if (bits < 8) png_set_packing(r.png);
    if (color & PNG_COLOR_MASK_PALETTE) png_set_palette_to_rgb(r.png);
    png_color_16 white{};
    white.red = white.green = white.blue = 65535;
    white.gray = 255;  // libpng takes it in the output's 8-bit steps
    png_set_background(r.png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1);
}

// Checks the header, then sets up the rows. False once the job has failed.
bool Prepare(PngRead& r) {
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    const int depth = (png_get_color_type(r.png, r.info) & PNG_COLOR_MASK_COLOR) ? 3 : 1;
    if (!AdmitImage(r.job, "PNG", width, height, depth)) return false;
    const int xdpi = static_cast<int>(png_get_x_pixels_per_inch(r.png, r.info));
    const int ydpi = static_cast<int>(png_get_y_pixels_per_inch(r.png, r.info));
    if (xdpi != ydpi)
        return FailImage(r.job, ImageFault::Unprintable,
                         "The PNG image has pixels that are not square (%dx%d dpi).", xdpi, ydpi);
    SetTransforms(r);
    r.passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const size_t rowBytes = size_t(width) * size_t(depth);
    if (png_get_rowbytes(r.png, r.info) != rowBytes)
        return FailImage(r.job, ImageFault::Format,
                         "The PNG image has a pixel layout that cannot be printed.");
    r.image = {{}, static_cast<int>(width), static_cast<int>(height), depth, xdpi};
    r.image.pixels.resize(rowBytes * height);
    r.rows.resize(height);
    for (png_uint_32 y = 0; y < height; y++) r.rows[y] = r.image.pixels.data() + y * rowBytes;
    return true;
}

// Reads every row of every pass, checking for a cancel between rows.
bool ReadRows(PngRead& r) {
    for (int pass = 0; pass < r.passes; pass++) {
        for (png_bytep row : r.rows) {
            if (r.job.IsCanceled()) return false;
            png_read_row(r.png, row, nullptr);
        }
    }
    return true;
}

bool Decode(PngRead& r) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, r.file);
    png_set_sig_bytes(r.png, kSignatureBytes);
#if defined(PNG_SKIP_sRGB_CHECK_PROFILE) && defined(PNG_SET_OPTION_SUPPORTED)
    png_set_option(r.png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
#endif
    png_read_info(r.png, r.info);
    if (!Prepare(r)) {
        r.jobFailed = true;
        return false;
    }
    return ReadRows(r);
}

bool ReadPng(PngRead& r) {
    if (!Open(r)) return false;
    if (Decode(r)) return true;
    if (r.jobFailed || r.job.IsCanceled()) return false;
    return FailImage(r.job, ImageFault::Format, "The PNG image could not be read: %s.", r.error);
}
}  // namespace

bool DecodePng(FILE* file, ImageJob& job, DecodedImage& image) {
    try {
        PngRead r(file, job, image);
        return ReadPng(r);
    } catch (const std::bad_alloc&) {
        return FailImage(job, ImageFault::System, "Not enough memory for the PNG image.");
    }
}

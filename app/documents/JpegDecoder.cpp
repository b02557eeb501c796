#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h needs FILE declared first.
#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

#include "app/documents/DecodedImage.h"

namespace {
// Progressive files take a pass over the whole image per scan; real ones
// have a dozen, so many more only burn time (libjpeg-turbo's advice).
constexpr int kMaxScans = 500;

// libjpeg's error manager with what a long jump back to Decode() needs.
struct JpegErrors {
    jpeg_error_mgr mgr;  // first: libjpeg hands out a pointer to it
    std::jmp_buf jump;
    ImageJob* job;
    char message[JMSG_LENGTH_MAX];
};

JpegErrors& ErrorsOf(j_common_ptr common) {
    return *reinterpret_cast<JpegErrors*>(common->err);
}

// One decode's libjpeg state. Everything libjpeg touches lives here, so no
// frame that a long jump skips owns anything.
struct JpegRead {
    JpegRead(FILE* f, ImageJob& job, DecodedImage& i) : file(f), image(i) { errors.job = &job; }
    ~JpegRead() {
        if (created) jpeg_destroy_decompress(&info);
    }
    JpegRead(const JpegRead&) = delete;
    JpegRead& operator=(const JpegRead&) = delete;

    jpeg_decompress_struct info{};
    JpegErrors errors{};
    jpeg_progress_mgr progress{};
    FILE* file;
    DecodedImage& image;
    bool created = false;
    bool jobFailed = false;  // the job has its message already
};

[[noreturn]] void OnError(j_common_ptr common) {
    JpegErrors& errors = ErrorsOf(common);
    errors.mgr.format_message(common, errors.message);
    std::longjmp(errors.jump, 1);
}

// A file cut short is an error (libjpeg would print the rest gray); of the
// other warnings the first is logged. Trace messages are dropped.
void OnMessage(j_common_ptr common, int level) {
    JpegErrors& errors = ErrorsOf(common);
    if (level >= 0) return;
    if (errors.mgr.msg_code == JWRN_JPEG_EOF) OnError(common);
    if (errors.mgr.num_warnings++ > 0) return;
    char text[JMSG_LENGTH_MAX];
    errors.mgr.format_message(common, text);
    LogImage(*errors.job, ImageLog::Warning, "JPEG: %s", text);
}

// Runs while libjpeg works through the file: stops on a cancel and on more
// scans than an image has.
void OnProgress(j_common_ptr common) {
    JpegErrors& errors = ErrorsOf(common);
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (errors.job->IsCanceled()) std::longjmp(errors.jump, 1);
    if (info->input_scan_number <= kMaxScans) return;
    std::snprintf(errors.message, sizeof errors.message, "more than %d scans", kMaxScans);
    std::longjmp(errors.jump, 1);
}

void SetHandlers(JpegRead& r) {
    r.info.err = jpeg_std_error(&r.errors.mgr);
    r.errors.mgr.error_exit = OnError;
    r.errors.mgr.emit_message = OnMessage;
    r.progress.progress_monitor = OnProgress;
}

int Density(const jpeg_decompress_struct& info, int value) {
    if (info.density_unit == 1) return value;              // per inch
    if (info.density_unit == 2) return value * 254 / 100;  // per centimetre
    return 0;
}

// The output PAPPL's own reader asks for: gray when the job prints gray,
// else sRGB. Checks the size, then allocates. False once the job has failed.
bool Prepare(JpegRead& r) {
    jpeg_decompress_struct& info = r.info;
    ImageJob& job = *r.errors.job;
    const bool gray = job.PrintsGray(info.num_components > 1);
    info.quantize_colors = FALSE;
    info.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (!AdmitImage(job, "JPEG", info.output_width, info.output_height, info.output_components))
        return false;
    const int xdpi = Density(info, info.X_density), ydpi = Density(info, info.Y_density);
    if (xdpi != ydpi)
        return FailImage(job, ImageFault::Unprintable,
                         "The JPEG image has pixels that are not square (%dx%d dpi).", xdpi, ydpi);
    r.image = {{},
               static_cast<int>(info.output_width),
               static_cast<int>(info.output_height),
               info.output_components,
               xdpi};
    r.image.pixels.resize(size_t(info.output_width) * size_t(info.output_height) *
                          size_t(info.output_components));
    return true;
}

// Reads row by row, checking for a cancel between rows.
bool ReadRows(JpegRead& r) {
    jpeg_decompress_struct& info = r.info;
    const size_t rowBytes = size_t(info.output_width) * size_t(info.output_components);
    while (info.output_scanline < info.output_height) {
        if (r.errors.job->IsCanceled()) return false;
        JSAMPROW row = r.image.pixels.data() + info.output_scanline * rowBytes;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            std::snprintf(r.errors.message, sizeof r.errors.message, "no more rows");
            return false;
        }
    }
    return true;
}

bool Decode(JpegRead& r) {
    if (setjmp(r.errors.jump)) return false;
    jpeg_create_decompress(&r.info);
    r.created = true;
    r.info.progress = &r.progress;
    jpeg_stdio_src(&r.info, r.file);
    jpeg_read_header(&r.info, TRUE);
    if (!Prepare(r)) {
        r.jobFailed = true;
        return false;
    }
    jpeg_start_decompress(&r.info);
    return ReadRows(r);
}

bool ReadJpeg(JpegRead& r) {
    SetHandlers(r);
    if (Decode(r)) return true;
    ImageJob& job = *r.errors.job;
    if (r.jobFailed || job.IsCanceled()) return false;
    return FailImage(job, ImageFault::Format, "The JPEG image could not be read: %s.",
                     r.errors.message);
}
}  // namespace

bool DecodeJpeg(FILE* file, ImageJob& job, DecodedImage& image) {
    try {
        JpegRead r(file, job, image);
        return ReadJpeg(r);
    } catch (const std::bad_alloc&) {
        return FailImage(job, ImageFault::System, "Not enough memory for the JPEG image.");
    }
}

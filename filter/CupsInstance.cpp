#include "filter/CupsInstance.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "filter/CupsRender.h"
#include "filter/FilterMessages.h"
#include "filter/OutputWriter.h"
#include "filter/RenderFactory.h"
#include "render/BaseRender.h"

volatile sig_atomic_t Canceled = 0;

namespace {
// Largest page the filter takes into memory: a page at the image memory cap
// in 32-bit raster form, with some room. Bigger pages are skipped.
constexpr unsigned long long kMaxPageBytes = 0x18000000ULL;  // 384 MiB
constexpr unsigned kDiscardChunk = 65536;
// From this size on a page's image starts zeroed (see StartPage).
constexpr unsigned long long kZeroedPageBytes = 4ULL << 20;

constexpr size_t kReadChunk = 262144;

// The job's raster stream, with a count of the bytes read: an empty job
// (CUPS sends one for a document without pages) is told apart from a
// document that is not raster. libcups asks for an uncompressed page line by
// line; the reads go through a buffer so that a page takes a few system calls
// instead of one per line.
struct RasterInput {
    int fd = 0;
    size_t bytes = 0;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(kReadChunk);
    size_t start = 0;
    size_t end = 0;
};

ssize_t ReadFd(int fd, unsigned char* buffer, size_t length) {
    ssize_t n = 0;
    while ((n = read(fd, buffer, length)) < 0)
        if (errno != EINTR && errno != EAGAIN) return -1;
    return n;
}

ssize_t ReadRaster(void* context, unsigned char* buffer, size_t length) {
    auto* input = static_cast<RasterInput*>(context);
    if (input->start == input->end) {
        // A request as large as the buffer gains nothing from a copy.
        if (length >= kReadChunk) {
            ssize_t n = ReadFd(input->fd, buffer, length);
            if (n > 0) input->bytes += static_cast<size_t>(n);
            return n;
        }
        ssize_t n = ReadFd(input->fd, input->buffer.data(), kReadChunk);
        if (n <= 0) return n;
        input->start = 0;
        input->end = static_cast<size_t>(n);
    }
    const size_t n = std::min(length, input->end - input->start);
    std::memcpy(buffer, input->buffer.data() + input->start, n);
    input->start += n;
    input->bytes += n;
    return static_cast<ssize_t>(n);
}

bool PageFitsInMemory(const cups_page_header2_t& h) {
    unsigned long long bytes = 1ULL * h.cupsBytesPerLine * h.cupsHeight;
    if (bytes > 0x7FFFFFFFULL || bytes > kMaxPageBytes) return false;
    return CRasterImage::FitsMemoryCap(h.cupsWidth, h.cupsHeight, h.cupsBitsPerPixel);
}

// Reads the page's lines straight into the image rows (through a line buffer
// only where a line must be converted or cut). Lines missing at the end of a
// truncated stream are zero, as from a zero-filled page. An image not made
// zeroed (see StartPage) has every byte of its rows written here.
void ReadPageRows(cups_raster_t* ras, const cups_page_header2_t& h, CRasterImage& image,
                  bool zeroed) {
    const unsigned bpl = h.cupsBytesPerLine, bpp = h.cupsBitsPerPixel;
    const uint32_t eff = image.GetEffWidth();
    const bool direct = bpp != 32 && bpl <= eff;
    // Left uninitialised: only what the stream delivers is touched, so that
    // a header that merely promises long lines costs no memory.
    std::unique_ptr<unsigned char[]> line;
    if (!direct) line = std::make_unique_for_overwrite<unsigned char[]>(bpl);
    unsigned y = 0;
    for (; y < h.cupsHeight; y++) {
        unsigned char* dst = direct ? image.GetBits(y) : line.get();
        if (cupsRasterReadPixels(ras, dst, bpl) == 0) break;
        if (!direct)
            image.SetRowFromArray(y, dst, bpl, bpp);
        else if (bpl < eff && !zeroed)
            std::memset(dst + bpl, 0, eff - bpl);
    }
    if (y == h.cupsHeight) return;
    // The line that failed may hold part of its bytes: it is cleared too. The
    // rows after it are still zero in a zeroed image, else cleared; only a
    // 32-bit page has its alpha to clear there. No row takes more zero bytes
    // than rowBytes.
    if (!zeroed) {
        for (; y < h.cupsHeight; y++) std::memset(image.GetBits(y), 0, eff);
        return;
    }
    const size_t rowBytes = bpp == 32 ? 4ULL * image.GetWidth() : eff;
    const std::vector<unsigned char> zeros(std::min<size_t>(bpl, rowBytes), 0);
    const unsigned last = bpp == 32 ? h.cupsHeight : y + 1;
    for (; y < last; y++)
        image.SetRowFromArray(y, zeros.data(), static_cast<uint32_t>(zeros.size()), bpp);
}

// Reads a page that cannot be held in memory and throws its lines away.
void DiscardPage(cups_raster_t* ras, const cups_page_header2_t& h) {
    std::vector<unsigned char> chunk(kDiscardChunk);
    for (unsigned y = 0; y < h.cupsHeight; y++) {
        for (unsigned left = h.cupsBytesPerLine; left > 0;) {
            unsigned n = left < kDiscardChunk ? left : kDiscardChunk;
            if (cupsRasterReadPixels(ras, chunk.data(), n) == 0) return;
            left -= n;
        }
    }
}

// Keeps descriptors 0 to 2 taken, so that nothing the filter opens later
// (the raster file, the system log socket) lands on them: a closed standard
// output stays unwritable instead of sending printer data elsewhere, and a
// closed standard input reads as empty.
void ReserveStandardDescriptors() {
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        if (opened > fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

// The header's enum fields hold whatever the stream carried; they are read
// as the plain numbers they are stored as, never as out-of-range enums.
template <class Field>
int Number(const Field& field) {
    static_assert(sizeof(Field) == sizeof(int));
    int value;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

// Without a system logger every syslog call tries to connect again, twenty
// system calls a page; its messages would go nowhere, so none are sent.
void QuietSyslogWithoutLogger() {
    if (access("/dev/log", F_OK) != 0) setlogmask(LOG_MASK(LOG_EMERG));
}

void LogHeader(const cups_page_header2_t& h) {
    syslog(LOG_DEBUG, "DEBUG: Duplex = %d\n", Number(h.Duplex));
    syslog(LOG_DEBUG, "DEBUG: HWResolution = [ %d %d ]\n", h.HWResolution[0], h.HWResolution[1]);
    syslog(LOG_DEBUG, "DEBUG: ImagingBoundingBox = [ %d %d %d %d ]\n", h.ImagingBoundingBox[0],
           h.ImagingBoundingBox[1], h.ImagingBoundingBox[2], h.ImagingBoundingBox[3]);
    syslog(LOG_DEBUG, "DEBUG: Margins = [ %d %d ]\n", h.Margins[0], h.Margins[1]);
    syslog(LOG_DEBUG, "DEBUG: ManualFeed = %d\n", Number(h.ManualFeed));
    syslog(LOG_DEBUG, "DEBUG: MediaPosition = %d\n", h.MediaPosition);
    syslog(LOG_DEBUG, "DEBUG: NumCopies = %d\n", h.NumCopies);
    syslog(LOG_DEBUG, "DEBUG: Orientation = %d\n", Number(h.Orientation));
    syslog(LOG_DEBUG, "DEBUG: PageSize = [ %d %d ]\n", h.PageSize[0], h.PageSize[1]);
    syslog(LOG_DEBUG, "DEBUG: cupsWidth = %d\n", h.cupsWidth);
    syslog(LOG_DEBUG, "DEBUG: cupsHeight = %d\n", h.cupsHeight);
    syslog(LOG_DEBUG, "DEBUG: cupsMediaType = %d\n", h.cupsMediaType);
    syslog(LOG_DEBUG, "DEBUG: cupsBitsPerColor = %d\n", h.cupsBitsPerColor);
    syslog(LOG_DEBUG, "DEBUG: cupsBitsPerPixel = %d\n", h.cupsBitsPerPixel);
    syslog(LOG_DEBUG, "DEBUG: cupsBytesPerLine = %d\n", h.cupsBytesPerLine);
    syslog(LOG_DEBUG, "DEBUG: cupsColorOrder = %d\n", Number(h.cupsColorOrder));
    syslog(LOG_DEBUG, "DEBUG: cupsColorSpace = %d\n", Number(h.cupsColorSpace));
    syslog(LOG_DEBUG, "DEBUG: cupsCompression = %d\n", h.cupsCompression);
}

ppd_file_t* OpenPpd() {
    const char* path = std::getenv("PPD");
    ppd_file_t* ppd = path ? ppdOpenFile(path) : nullptr;
    if (!ppd) {
        PrintFilterMessage("ERROR", "The PPD file could not be opened.");
        int line = 0;
        ppd_status_t status = ppdLastError(&line);
        std::fprintf(stderr, "DEBUG: %s on line %d.\n", ppdErrorString(status), line);
    }
    return ppd;
}

std::string ReadAttributes(ppd_file_t* ppd) {
    std::string modelName;
    if (ppd_attr_t* attr = ppdFindAttr(ppd, "ModelName", nullptr); attr && attr->value) {
        syslog(LOG_DEBUG, "ModelName=%s", attr->value);
        modelName = attr->value;
    }
    if (ppd_attr_t* attr = ppdFindAttr(ppd, "Personality", nullptr); attr && attr->value)
        syslog(LOG_DEBUG, "lang=%s", attr->value);
    return modelName;
}
}  // namespace

void CancelJob(int) {
    Canceled = 1;
}

int CCupsInstance::Run(int argc, char* argv[]) {
    ReserveStandardDescriptors();
    QuietSyslogWithoutLogger();
    setbuf(stderr, nullptr);
    if (argc != 6 && argc != 7) {
        PrintFilterMessage("ERROR", "%s job-id user title copies options [file]",
                           "rastertothermal");
        return 1;
    }
    int fd = 0;
    if (argc == 7 && (fd = open(argv[6], O_RDONLY)) == -1) {
        PrintFilterError("ERROR", "Unable to open raster file");
        sleep(1);
        return 1;
    }
    RasterInput input{fd};
    cups_raster_t* ras = cupsRasterOpenIO(ReadRaster, &input, CUPS_RASTER_READ);
    // Bytes without a raster sync word at the start: a document CUPS did
    // not rasterise.
    const bool notRaster = ras == nullptr && input.bytes > 0;

    Canceled = 0;
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = CancelJob;
    sigaction(SIGTERM, &action, nullptr);
    // A vanished backend shows up as a write error, reported as such.
    signal(SIGPIPE, SIG_IGN);
    ResetPrinterOutput();

    cups_option_t* options = nullptr;
    int numOptions = cupsParseOptions(argv[5], 0, &options);

    ppd_file_t* ppd = OpenPpd();
    if (!ppd) return 1;
    ppdMarkDefaults(ppd);
    cupsMarkOptions(ppd, numOptions, options);
    std::string modelName = ReadAttributes(ppd);

    const int modelNumber = ppd->model_number;
    syslog(LOG_DEBUG, "ModelNumber = %d\n", modelNumber);
    CBaseRender* created = CreateRender(modelNumber);
    if (!created) {
        syslog(LOG_ERR, "ERR: Unknow ModelNumber = %d\n", modelNumber);
        PrintFilterMessage("ERROR", "Unknow ModelNumber.");
        return 1;
    }
    m_render = MakeRefPtr<CBaseRender>(created);
    m_binding = dynamic_cast<CCupsBinding*>(created);
    m_binding->ppd = ppd;
    m_render->GetPrinterParameters();
    m_render->SetModelName(modelName.c_str());
    m_render->OnStartDoc(0);

    m_page = 0;
    cups_page_header2_t header;
    while (cupsRasterReadHeader2(ras, &header)) {
        if (Canceled) break;
        m_page++;
        std::fprintf(stderr, "PAGE: %d 1\n", m_page);
        PrintFilterMessage("INFO", "Starting page %d.", m_page);
        if (PageFitsInMemory(header)) {
            StartPage(ppd, &header, ras);
        } else {
            DiscardPage(ras, header);
            syslog(LOG_ERR, "create image error\n");
        }
        PrintFilterMessage("INFO", "Finished page %d.", m_page);
        EndPage(ppd, &header);
        // A backend that went away takes no more pages: stop instead of
        // rendering the rest of the job for nobody.
        if (Canceled || PrinterOutputFailed()) break;
    }

    m_render->OnEndDoc();
    cupsRasterClose(ras);
    if (fd != 0) close(fd);
    ppdClose(ppd);
    m_binding->ppd = nullptr;
    cupsFreeOptions(numOptions, options);

    if (m_page == 0) {
        PrintFilterMessage("ERROR", "No pages were found.");
        if (notRaster)
            PrintFilterMessage("ERROR",
                               "The input is not CUPS raster (the filter reads what pdftoraster "
                               "or gstoraster make, not PDF or other documents).");
        return 1;
    }
    return PrinterOutputFailed() ? 1 : 0;
}

// The page's raster lines go straight into the render's image, line 0 as row
// 0: the same image that CreateFromArray makes from the whole page, without
// holding the page twice.
void CCupsInstance::StartPage(ppd_file_t*, cups_page_header2_t* header, cups_raster_t* ras) {
    LogHeader(*header);
    CBaseRender* render = m_render;
    m_binding->header = header;
    render->iDpi = static_cast<int>(header->HWResolution[0]);
    // A small page's image is left unzeroed, as ReadPageRows writes all of
    // it; a large one, whose lines may never come, and a 32-bit one (read
    // through a line buffer) start zeroed.
    const bool zeroed = header->cupsBitsPerPixel == 32 ||
                        1ULL * header->cupsBytesPerLine * header->cupsHeight >= kZeroedPageBytes;
    if (!render->image.CreateForRows(header->cupsWidth, header->cupsHeight,
                                     header->cupsBitsPerPixel, zeroed)) {
        DiscardPage(ras, *header);
        syslog(LOG_ERR, "create image error\n");
        return;
    }
    ReadPageRows(ras, *header, render->image, zeroed);
    syslog(LOG_DEBUG, "create image width=%d, height=%d, bitsPerPixel=%d, bytesPerLine=%d",
           header->cupsWidth, header->cupsHeight, header->cupsBitsPerPixel,
           header->cupsBytesPerLine);
    render->image.SetXDPI(static_cast<int>(header->HWResolution[0]));
    render->image.SetYDPI(static_cast<int>(header->HWResolution[1]));
    render->OnStartPage();
    render->OnBeginBmp();
    render->OnPaintBmp();
    render->OnEndBmp();
}

void CCupsInstance::EndPage(ppd_file_t*, cups_page_header2_t*) {
    m_render->OnEndPage();
}
#pragma GCC diagnostic pop

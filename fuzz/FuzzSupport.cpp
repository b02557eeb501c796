#include "fuzz/FuzzSupport.h"

#include <cups/raster.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "image/RasterImage.h"

namespace {
constexpr int kMaxPages = 8;
constexpr unsigned long long kMaxDecodedBytes = 8ULL << 20;
constexpr unsigned long long kMaxPixels = 1ULL << 19;
// The filter makes a page's whole image up front; under AddressSanitizer
// that costs time in proportion even when the data never comes.
constexpr unsigned long long kMaxReservedBytes = 16ULL << 20;
constexpr unsigned kChunk = 65536;
// libcups reserves buffers in proportion to a header's line length, which
// under AddressSanitizer costs time in proportion too.
constexpr unsigned kMaxLineBytes = 1U << 20;

struct MemoryReader {
    const uint8_t* data;
    size_t left;
};

ssize_t ReadMemory(void* context, unsigned char* buffer, size_t bytes) {
    auto* r = static_cast<MemoryReader*>(context);
    size_t n = std::min(bytes, r->left);
    std::memcpy(buffer, r->data, n);
    r->data += n;
    r->left -= n;
    return static_cast<ssize_t>(n);
}

// The first page header follows the four-byte sync word as it is, in the
// writer's byte order: its line length can be checked before libcups reserves
// anything for it.
bool FirstLineLengthWithinBudget(const uint8_t* data, size_t size) {
    constexpr size_t at = 4 + offsetof(cups_page_header2_t, cupsBytesPerLine);
    if (size < at + 4) return true;
    uint32_t bytes;
    std::memcpy(&bytes, data + at, sizeof bytes);
    const bool swapped = data[0] == 'R';  // "RaS2" in the file: written big-endian
    return (swapped ? __builtin_bswap32(bytes) : bytes) <= kMaxLineBytes;
}

bool FilterTakesIntoMemory(const cups_page_header2_t& h) {
    unsigned long long bytes = 1ULL * h.cupsBytesPerLine * h.cupsHeight;
    return bytes <= 0x7FFFFFFFULL &&
           CRasterImage::FitsMemoryCap(h.cupsWidth, h.cupsHeight, h.cupsBitsPerPixel);
}

// Reads one line in chunks; false when the stream ends first or the budget
// is spent.
bool ReadLine(cups_raster_t* ras, unsigned bytesPerLine, unsigned long long& decoded) {
    static std::vector<unsigned char> chunk(kChunk);
    for (unsigned left = bytesPerLine; left > 0;) {
        unsigned n = std::min(left, kChunk);
        if (decoded + n > kMaxDecodedBytes) {
            decoded += n;
            return false;
        }
        if (cupsRasterReadPixels(ras, chunk.data(), n) == 0) return false;
        left -= n;
        decoded += n;
    }
    return true;
}

// Reads one page's lines as the filter does; false when over the budget. A
// page the filter takes is made whole (missing lines are zero), so its
// header alone sets the work.
bool ReadPageWithinBudget(cups_raster_t* ras, const cups_page_header2_t& h,
                          unsigned long long& decoded) {
    if (h.cupsBytesPerLine > kMaxLineBytes) return false;
    if (FilterTakesIntoMemory(h) && (1ULL * h.cupsBytesPerLine * h.cupsHeight > kMaxReservedBytes ||
                                     1ULL * h.cupsWidth * h.cupsHeight > kMaxPixels))
        return false;
    unsigned y = 0;
    while (y < h.cupsHeight && ReadLine(ras, h.cupsBytesPerLine, decoded)) y++;
    return decoded <= kMaxDecodedBytes;
}
}  // namespace

void AddDefaultFlags(int* argc, char*** argv, const std::vector<std::string>& flags) {
    static std::vector<std::string> added;
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    for (const std::string& flag : flags) {
        std::string name = flag.substr(0, flag.find('=') + 1);
        bool given = std::any_of(args.begin(), args.end(), [&](const char* a) {
            return std::strncmp(a, name.c_str(), name.size()) == 0;
        });
        if (!given) added.push_back(flag);
    }
    for (std::string& flag : added) args.push_back(flag.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size() - 1);
    *argv = args.data();
}

std::string PpdText(int model, const std::vector<FuzzOption>& options) {
    std::string text =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
        "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"FUZZ.PPD\"\n"
        "*Manufacturer: \"Fuzz\"\n*Product: \"(Fuzz Printer)\"\n*ModelName: \"Fuzz Printer\"\n"
        "*ShortNickName: \"Fuzz Printer\"\n*NickName: \"Fuzz Printer\"\n"
        "*PSVersion: \"(3010.000) 0\"\n*cupsVersion: 2.4\n*cupsModelNumber: " +
        std::to_string(model) +
        "\n*cupsFilter: \"application/vnd.cups-raster 0 rastertothermal\"\n";
    for (const FuzzOption& o : options) {
        if (o.choices.empty()) continue;
        text += "*OpenUI *" + o.keyword + "/" + o.keyword + ": PickOne\n";
        text += "*Default" + o.keyword + ": " + o.choices[0] + "\n";
        for (const std::string& c : o.choices)
            text += "*" + o.keyword + " " + c + "/" + c + ": \"\"\n";
        text += "*CloseUI: *" + o.keyword + "\n";
    }
    return text;
}

const std::vector<std::string>& BindingKeywords() {
    static const std::vector<std::string> keywords = {
        "MediaMethod",    "AdjustHoriaontal", "AdjustVertical", "zeMediaTracking", "FeedOffset",
        "Rotate",         "Darkness",         "zePrintRate",    "AutoDotted",      "Brightness",
        "Contrast",       "ImageFilter",      "Threshold",      "ImageCompress",   "CropEdgeTop",
        "CropEdgeBottom", "CropEdgeLeft",     "CropEdgeRight"};
    return keywords;
}

MemoryFile::MemoryFile(const char* name) : m_fd(memfd_create(name, 0)) {}

bool MemoryFile::Store(const void* data, size_t size) {
    if (m_fd < 0 || ftruncate(m_fd, 0) != 0) return false;
    const char* p = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        ssize_t n = pwrite(m_fd, p + done, size - done, static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return lseek(m_fd, 0, SEEK_SET) == 0;
}

std::string MemoryFile::Path() const {
    return "/proc/self/fd/" + std::to_string(m_fd);
}

bool RasterWithinBudget(const uint8_t* data, size_t size) {
    if (!FirstLineLengthWithinBudget(data, size)) return false;
    MemoryReader reader{data, size};
    cups_raster_t* ras = cupsRasterOpenIO(ReadMemory, &reader, CUPS_RASTER_READ);
    if (!ras) return true;
    cups_page_header2_t header;
    unsigned long long decoded = 0;
    bool ok = true;
    for (int pages = 0; ok && cupsRasterReadHeader2(ras, &header); pages++)
        ok = pages < kMaxPages && ReadPageWithinBudget(ras, header, decoded);
    cupsRasterClose(ras);
    return ok;
}

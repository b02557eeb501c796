#include "app/documents/DocumentFormats.h"

#include <cstring>
#include <string_view>

#include "app/documents/RawLanguage.h"
#include "printers/Languages.h"

namespace {
constexpr std::string_view kAnyFormat = "application/octet-stream";
// The image formats PAPPL converts itself, besides the driver's raw one.
constexpr std::string_view kImages[] = {"image/png", "image/jpeg", "image/pwg-raster", "image/urf",
                                        "application/pdf"};
// As much of the document's start as printer commands are told by.
constexpr size_t kHeaderBytes = 4096;

std::string Takes(const char* rawFormat) {
    return std::string(
               "This printer prints PDF, PNG, JPEG, PWG raster and Apple raster (image/urf) "
               "documents and its own commands (") +
           rawFormat + ")";
}

// How a file of the printer's own commands is sent when they are not
// recognised (or are another language the printer takes as well).
std::string Flag(const char* rawFormat) {
    return std::string(" Printer commands are sent as they are with -o document-format=") +
           rawFormat + ".";
}

bool Taken(std::string_view format, const char* rawFormat) {
    for (std::string_view image : kImages)
        if (format == image) return true;
    return format == kAnyFormat || format == rawFormat;
}

// The formats PAPPL recognises in application/octet-stream data.
bool Recognised(const unsigned char* h) {
    return !std::memcmp(h, "\211PNG", 4) || !std::memcmp(h, "%PDF", 4) ||
           !std::memcmp(h, "RaS2PwgR", 8) || !std::memcmp(h, "UNIRAST", 8) ||
           (!std::memcmp(h, "\377\330\377", 3) && h[3] >= 0xe0 && h[3] <= 0xef);
}

const char* Kind(const unsigned char* h) {
    if (!std::memcmp(h, "%!", 2)) return "a PostScript file (application/postscript)";
    return "of none of these formats";
}

std::string SniffError(pappl_client_t* client, const char* rawFormat) {
    unsigned char header[kHeaderBytes] = {};
    const ssize_t size =
        httpPeek(papplClientGetHTTP(client), reinterpret_cast<char*>(header), sizeof header);
    if (size <= 0 || Recognised(header)) return std::string();
    const Language* language = RecogniseLanguage(header, static_cast<size_t>(size));
    if (language && !std::strcmp(language->rawFormat, rawFormat)) return std::string();
    if (language)
        return Takes(rawFormat) + "; the document is " + language->title + " printer commands (" +
               language->rawFormat + ")." + Flag(rawFormat);
    return Takes(rawFormat) + "; the document is " + Kind(header) + "." + Flag(rawFormat);
}
}  // namespace

std::string DocumentFormatError(pappl_client_t* client, const char* format, bool sniff,
                                const char* compression) {
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (!printer) return std::string();
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    const char* raw = data.format ? data.format : "";
    if (format && !Taken(format, raw)) return Takes(raw) + "; " + format + " is not one of them.";
    const bool plain = !compression || !std::strcmp(compression, "none");
    if ((!format || format == kAnyFormat) && sniff && plain) return SniffError(client, raw);
    return std::string();
}

#include "app/ipp/RequestChecks.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/devices/DeviceRules.h"
#include "app/documents/DocumentFormats.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/LoadedMedium.h"
#include "app/ipp/CalibrateOperation.h"
#include "app/ipp/JobAttributeNames.h"
#include "app/ipp/OperationAuthority.h"
#include "app/ipp/SettingValues.h"

namespace {
// An attribute the request cannot have, and why.
struct Fault {
    ipp_attribute_t* attr;
    std::string message;
};

void ReportUnsupported(pappl_client_t* client, ipp_attribute_t* attr) {
    ipp_t* response = papplClientGetResponse(client);
    ipp_attribute_t* copy = ippCopyAttribute(response, attr, 0);
    ippSetGroupTag(response, &copy, IPP_TAG_UNSUPPORTED_GROUP);
}

bool Answer(pappl_client_t* client, ipp_status_t status, const std::vector<Fault>& faults) {
    std::string message;
    for (const Fault& f : faults) message += (message.empty() ? "" : " ") + f.message;
    papplClientRespondIPP(client, status, "%s", message.c_str());
    for (const Fault& f : faults)
        if (f.attr) ReportUnsupported(client, f.attr);
    return status >= IPP_STATUS_ERROR_BAD_REQUEST;
}

// The language of the request's printer, or null when there is none.
const Language* PrinterLanguage(pappl_client_t* client) {
    pappl_printer_t* printer = papplClientGetPrinter(client);
    const DriverInfo* driver = printer ? FindDriver(papplPrinterGetDriverName(printer)) : nullptr;
    return driver ? driver->language : nullptr;
}

// Vendor attributes of the request named like a setting plus `suffix`
// ("-default" for printer defaults) whose values the setting does not take
// (on printers of the language, when known).
std::vector<Fault> VendorFaults(ipp_t* request, ipp_tag_t group, const char* suffix,
                                const Language* language) {
    std::vector<Fault> faults;
    for (ipp_attribute_t* a = ippFirstAttribute(request); a; a = ippNextAttribute(request)) {
        const char* name = ippGetName(a);
        if (!name || (group != IPP_TAG_ZERO && ippGetGroupTag(a) != group)) continue;
        if (const VendorOption* option = FindVendorOption(name, suffix))
            if (std::string error = AttributeError(*option, a, language); !error.empty())
                faults.push_back({a, error});
    }
    return faults;
}

const char* StringOf(ipp_t* request, const char* name) {
    return ippGetString(ippFindAttribute(request, name, IPP_TAG_ZERO), 0, nullptr);
}

// A name of nothing but spaces would make a printer nobody can name again.
bool Blank(const char* text) {
    return !text || std::strspn(text, " \t") == std::strlen(text);
}

bool CheckCreatePrinter(pappl_client_t* client) {
    ipp_t* request = papplClientGetRequest(client);
    ipp_attribute_t* driver = ippFindAttribute(request, "smi55357-driver", IPP_TAG_ZERO);
    const char* name = ippGetString(driver, 0, nullptr);
    const DriverInfo* info = name ? FindDriver(name) : nullptr;
    std::vector<Fault> faults =
        VendorFaults(request, IPP_TAG_PRINTER, "-default", info ? info->language : nullptr);
    ipp_attribute_t* printerName = ippFindAttribute(request, "printer-name", IPP_TAG_ZERO);
    if (printerName && Blank(ippGetString(printerName, 0, nullptr)))
        faults.push_back(
            {printerName, "A printer needs a name (\"-d NAME\"): it cannot be empty."});
    if (name && std::strcmp(name, "auto") && !FindDriver(name))
        faults.push_back({driver, std::string("There is no driver \"") + name +
                                      "\": \"thermal-printer-app drivers\" lists them."});
    ipp_attribute_t* device = ippFindAttribute(request, "smi55357-device-uri", IPP_TAG_ZERO);
    if (const char* uri = ippGetString(device, 0, nullptr))
        if (std::string error = DeviceUriError(uri); !error.empty())
            faults.push_back({device, error});
    return !faults.empty() && Answer(client, IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES, faults);
}

// A length in hundredths of a millimetre as people write it: "-3mm", "2.5mm".
std::string Millimetres(int hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
    std::string mm = text;
    mm.erase(mm.find_last_not_of('0') + 1);
    if (mm.back() == '.') mm.pop_back();
    return (mm == "-0" ? "0" : mm) + "mm";
}

// A printer setting PAPPL stores without checking its range, under the name
// `options` shows; a length is told in millimetres.
struct SettingRange {
    const char* name;   // attribute, or member of media-col-default
    const char* shown;  // as `options` and the web pages name it
    int min, max;
    bool zero;    // 0 (the printer's own) taken too
    bool length;  // in hundredths of a millimetre
};

std::optional<Fault> RangeFault(ipp_attribute_t* attr, ipp_attribute_t* reported,
                                const SettingRange& r) {
    const int value = ippGetInteger(attr, 0);
    if (ippGetValueTag(attr) == IPP_TAG_INTEGER && ippGetCount(attr) == 1 &&
        ((value >= r.min && value <= r.max) || (r.zero && value == 0)))
        return std::nullopt;
    char text[256];
    ippAttributeString(attr, text, sizeof text);
    const bool number = ippGetValueTag(attr) == IPP_TAG_INTEGER && ippGetCount(attr) == 1;
    if (r.length)
        return Fault{reported, std::string(r.shown) + " takes " + Millimetres(r.min) + " to " +
                                   Millimetres(r.max) + ", not " +
                                   (number ? Millimetres(value) : "\"" + std::string(text) + "\"") +
                                   "."};
    return Fault{reported, std::string(r.shown) + " takes a whole number from " +
                               std::to_string(r.min) + " to " + std::to_string(r.max) + ", not \"" +
                               text + "\"."};
}

// The printer settings PAPPL stores without checking their range:
// darkness, speed, tear offset and the media offsets, each within what the
// driver takes.
std::vector<Fault> RangeFaults(pappl_client_t* client) {
    std::vector<Fault> faults;
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (!printer) return faults;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    const SettingRange ranges[] = {
        {"printer-darkness-configured", "printer-darkness", 0, 100, false, false},
        {"print-darkness-default", "print-darkness", -100, 100, false, false},
        {"print-speed-default", "print-speed", d.speed_supported[0], d.speed_supported[1], true,
         false},
        {"label-tear-offset-configured", "label-tear-offset", d.tear_offset_supported[0],
         d.tear_offset_supported[1], false, true},
    };
    ipp_t* request = papplClientGetRequest(client);
    for (const SettingRange& r : ranges) {
        ipp_attribute_t* attr = ippFindAttribute(request, r.name, IPP_TAG_ZERO);
        if (!attr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) continue;
        if (auto fault = RangeFault(attr, attr, r)) faults.push_back(*fault);
    }
    const SettingRange offsets[] = {
        {"media-left-offset", "media-left-offset", d.left_offset_supported[0],
         d.left_offset_supported[1], false, true},
        {"media-top-offset", "media-top-offset", d.top_offset_supported[0],
         d.top_offset_supported[1], false, true},
    };
    ipp_attribute_t* media =
        ippFindAttribute(request, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
    for (const SettingRange& r : offsets)
        if (ipp_attribute_t* member =
                ippFindAttribute(ippGetCollection(media, 0), r.name, IPP_TAG_ZERO))
            if (auto fault = RangeFault(member, media, r)) faults.push_back(*fault);
    return faults;
}

bool CheckDefaults(pappl_client_t* client) {
    std::vector<Fault> faults = VendorFaults(papplClientGetRequest(client), IPP_TAG_PRINTER,
                                             "-default", PrinterLanguage(client));
    for (Fault& f : RangeFaults(client)) faults.push_back(std::move(f));
    return !faults.empty() && Answer(client, IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES, faults);
}

bool FidelityAsked(ipp_t* request) {
    return ippGetBoolean(ippFindAttribute(request, "ipp-attribute-fidelity", IPP_TAG_BOOLEAN), 0);
}

// Job attributes the application has no use for: PAPPL would drop them
// without a word.
std::vector<Fault> UnknownJobAttributes(ipp_t* request) {
    std::vector<Fault> faults;
    for (ipp_attribute_t* a = ippFirstAttribute(request); a; a = ippNextAttribute(request)) {
        const char* name = ippGetName(a);
        if (!name || ippGetGroupTag(a) != IPP_TAG_JOB || KnownJobAttribute(name)) continue;
        faults.push_back({a, std::string("\"") + name + "\" is not an attribute of this printer."});
    }
    return faults;
}

// A job's vendor values and unknown attributes: as PAPPL does with its own
// job attributes, Validate-Job refuses a value the printer does not take and
// a new job drops it. Unknown attributes are dropped by either (a client
// may well send more than a printer knows) unless fidelity is asked for.
bool CheckJobValues(pappl_client_t* client) {
    ipp_t* request = papplClientGetRequest(client);
    const std::vector<Fault> values =
        VendorFaults(request, IPP_TAG_ZERO, "", PrinterLanguage(client));
    std::vector<Fault> faults = values;
    for (Fault& f : UnknownJobAttributes(request)) faults.push_back(std::move(f));
    if (faults.empty()) return false;
    const bool validate = papplClientGetOperation(client) == IPP_OP_VALIDATE_JOB;
    if ((validate && !values.empty()) || FidelityAsked(request))
        return Answer(client, IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES, faults);
    Answer(client, IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED, faults);
    for (const Fault& f : faults) ippDeleteAttribute(request, f.attr);
    return false;
}

// The medium a job asks for: its name and size in hundredths of a
// millimetre, from "media" or "media-col"; false when it asks for none.
bool AskedMedium(ipp_t* request, std::string& name, int& width, int& length) {
    const char* keyword =
        ippGetString(ippFindAttribute(request, "media", IPP_TAG_ZERO), 0, nullptr);
    ipp_t* col = ippGetCollection(ippFindAttribute(request, "media-col", IPP_TAG_ZERO), 0);
    if (!keyword && col)
        keyword = ippGetString(ippFindAttribute(col, "media-size-name", IPP_TAG_ZERO), 0, nullptr);
    if (const pwg_media_t* pwg = keyword ? pwgMediaForPWG(keyword) : nullptr) {
        name = keyword;
        width = pwg->width;
        length = pwg->length;
        return true;
    }
    ipp_t* size = ippGetCollection(ippFindAttribute(col, "media-size", IPP_TAG_ZERO), 0);
    width = ippGetInteger(ippFindAttribute(size, "x-dimension", IPP_TAG_INTEGER), 0);
    length = ippGetInteger(ippFindAttribute(size, "y-dimension", IPP_TAG_INTEGER), 0);
    name = "a medium";
    return width > 0;
}

// A job for another medium than the loaded one is told so when it is
// submitted, in the status message of a successful answer (`submit` prints
// it); the job's own message says how each page printed.
void TellAskedMedium(pappl_client_t* client) {
    std::string name;
    int width = 0, length = 0;
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (!printer || !AskedMedium(papplClientGetRequest(client), name, width, length)) return;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    const std::string told = AskedMediumMessage(d.media_ready[0], name.c_str(), width, length);
    if (told.empty()) return;
    const char* said = ippGetString(
        ippFindAttribute(papplClientGetResponse(client), "status-message", IPP_TAG_TEXT), 0,
        nullptr);
    papplClientRespondIPP(client, IPP_STATUS_OK, "%s%s%s", said ? said : "", said ? " " : "",
                          told.c_str());
}

bool CheckFormat(pappl_client_t* client) {
    ipp_t* request = papplClientGetRequest(client);
    ipp_attribute_t* attr = ippFindAttribute(request, "document-format", IPP_TAG_ZERO);
    const bool sniff = papplClientGetOperation(client) != IPP_OP_VALIDATE_JOB;
    const std::string error = DocumentFormatError(client, ippGetString(attr, 0, nullptr), sniff,
                                                  StringOf(request, "compression"));
    return !error.empty() &&
           Answer(client, IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED, {{attr, error}});
}
}  // namespace

bool CheckRequest(pappl_client_t* client, void*) {
    // Administration is checked only for those allowed to do it: the
    // messages tell about files anywhere on the system. PAPPL answers the
    // others.
    const ipp_op_t op = papplClientGetOperation(client);
    const bool admin = op == IPP_OP_CREATE_PRINTER || op == IPP_OP_SET_PRINTER_ATTRIBUTES;
    if (admin && papplClientIsAuthorized(client) != HTTP_STATUS_CONTINUE) return false;
    if (RefuseWithoutAuthority(client)) return true;
    if (op == kCalibratePrinterOperation) {
        AnswerCalibrate(client);
        return true;
    }
    switch (op) {
        case IPP_OP_CREATE_PRINTER:
            return CheckCreatePrinter(client);
        case IPP_OP_SET_PRINTER_ATTRIBUTES:
            return CheckDefaults(client);
        case IPP_OP_PRINT_JOB:
        case IPP_OP_CREATE_JOB:
            if ((op == IPP_OP_PRINT_JOB && CheckFormat(client)) || CheckJobValues(client))
                return true;
            TellAskedMedium(client);
            return false;
        case IPP_OP_VALIDATE_JOB:
            return CheckFormat(client) || CheckJobValues(client);
        case IPP_OP_SEND_DOCUMENT:
            return CheckFormat(client);
        default:
            return false;
    }
}

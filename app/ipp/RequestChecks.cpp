#include "app/ipp/RequestChecks.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/devices/DeviceRules.h"
#include "app/documents/DocumentFormats.h"
#include "app/drivers/DriverCatalog.h"
#include "app/ipp/AskedMedium.h"
#include "app/ipp/CalibrateOperation.h"
#include "app/ipp/JobAttributeNames.h"
#include "app/ipp/OperationAuthority.h"
#include "app/ipp/SettingRanges.h"
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

bool CheckDefaults(pappl_client_t* client) {
    std::vector<Fault> faults = VendorFaults(papplClientGetRequest(client), IPP_TAG_PRINTER,
                                             "-default", PrinterLanguage(client));
    for (SettingFault& f : OutOfRangeSettings(client)) faults.push_back({f.attr, f.message});
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

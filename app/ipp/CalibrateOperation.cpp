#include "app/ipp/CalibrateOperation.h"

#include <cstdio>
#include <string>

#include "app/devices/Calibrate.h"

// PAPPL's main loop connects its subcommands to the server's control socket
// with this; without a server it says so and returns null.
extern "C" http_t* _papplMainloopConnect(const char* base_name, bool auto_start);

void AnswerCalibrate(pappl_client_t* client) {
    if (const http_status_t auth = papplClientIsAuthorized(client); auth != HTTP_STATUS_CONTINUE) {
        papplClientRespond(client, auth, nullptr, nullptr, 0, 0);
        return;
    }
    pappl_printer_t* printer =
        papplSystemFindPrinter(papplClientGetSystem(client), papplClientGetURI(client), 0, nullptr);
    if (!printer) {
        papplClientRespondIPP(client, IPP_STATUS_ERROR_NOT_FOUND, "There is no such printer.");
        return;
    }
    const CalibrationResult result = CalibratePrinter(printer);
    papplClientRespondIPP(client, result.sent ? IPP_STATUS_OK : IPP_STATUS_ERROR_NOT_POSSIBLE, "%s",
                          result.message.c_str());
}

int CalibrateCommand(const char* baseName, int optionCount, cups_option_t* options, int fileCount,
                     char**, void*) {
    const char* name = cupsGetOption("printer-name", optionCount, options);
    if (!name || fileCount > 0) {
        std::fprintf(stderr, "%s: Name the printer to calibrate: \"%s %s -d NAME\".\n", baseName,
                     baseName, kCalibrateSubcommand);
        return 1;
    }
    http_t* http = _papplMainloopConnect(baseName, false);
    if (!http) return 1;
    const std::string resource = std::string("/ipp/print/") + name;
    char uri[1024];
    httpAssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                    resource.c_str());
    ipp_t* request = ippNewRequest(kCalibratePrinterOperation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippDelete(cupsDoRequest(http, request, resource.c_str()));
    httpClose(http);
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
        std::fprintf(stderr, "%s: There is no printer \"%s\" (\"%s printers\" lists them).\n",
                     baseName, name, baseName);
        return 1;
    }
    const bool done = cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE;
    std::fprintf(done ? stdout : stderr, "%s%s%s\n", done ? "" : baseName, done ? "" : ": ",
                 cupsLastErrorString());
    return done ? 0 : 1;
}

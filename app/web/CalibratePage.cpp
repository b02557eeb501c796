#include "app/web/CalibratePage.h"

#include <string>

#include "app/devices/Calibrate.h"

namespace {
constexpr const char* kTitle = "Calibrate";

// The message of a valid POST; empty for a GET.
std::string Submitted(pappl_client_t* client, pappl_printer_t* printer) {
    if (papplClientGetMethod(client) != HTTP_STATE_POST) return "";
    cups_option_t* form = nullptr;
    const int count = papplClientGetForm(client, &form);
    const bool valid = papplClientIsValidForm(client, count, form);
    cupsFreeOptions(count, form);
    if (!valid) return "Invalid form submission.";
    return CalibratePrinter(printer).message;
}

bool CalibratePage(pappl_client_t* client, void* data) {
    auto* printer = static_cast<pappl_printer_t*>(data);
    if (!papplClientHTMLAuthorize(client)) return true;
    const std::string message = Submitted(client, printer);
    papplClientHTMLPrinterHeader(client, printer, kTitle, 0, nullptr, nullptr);
    if (!message.empty())
        papplClientHTMLPrintf(client, "<div class=\"banner\">%s</div>\n", message.c_str());
    papplClientHTMLPuts(client,
                        "<p>New labels: the printer feeds a few of them to learn where each "
                        "ends, by the gap or the black mark as the Media page says. Load the "
                        "labels first; the fed labels stay blank.</p>\n");
    papplClientHTMLStartForm(client, papplClientGetURI(client), false);
    papplClientHTMLPrintf(client, "<input type=\"submit\" value=\"%s\"></form>\n", kTitle);
    papplClientHTMLPrinterFooter(client);
    return true;
}
}  // namespace

void AddCalibratePage(pappl_printer_t* printer) {
    if (!CanCalibrate(printer)) return;
    char path[256];
    papplPrinterGetPath(printer, "calibrate", path, sizeof path);
    papplSystemAddResourceCallback(papplPrinterGetSystem(printer), path, "text/html", CalibratePage,
                                   printer);
    papplPrinterAddLink(printer, kTitle, path, PAPPL_LOPTIONS_STATUS);
}

#include "app/web/DefaultsPage.h"

#include <poll.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>

#include "app/drivers/DriverCatalog.h"
#include "app/ipp/SettingValues.h"
#include "app/ipp/VendorOptions.h"

// PAPPL's own Printing Defaults page, exported by libpappl 1.3.1 without a
// header.
extern "C" void _papplPrinterWebDefaults(pappl_client_t* client, pappl_printer_t* printer);

namespace {
constexpr long kMaxForm = 65536;
constexpr int kWaits = 100;  // of 0.1 s for the rest of a form

// The urlencoded body of the POST, looked at without taking it from the
// connection, so that PAPPL's page can still read it: the part CUPS has
// buffered, then the rest where it waits in the socket. False when it is
// not all there to look at (too large, no length, encrypted and split).
bool PeekBody(pappl_client_t* client, std::string& body) {
    http_t* http = papplClientGetHTTP(client);
    const char* length = httpGetField(http, HTTP_FIELD_CONTENT_LENGTH);
    const long size = length && *length ? std::strtol(length, nullptr, 10) : -1;
    if (size <= 0 || size > kMaxForm) return size == 0;
    body.assign(static_cast<size_t>(size), '\0');
    const ssize_t buffered = httpPeek(http, body.data(), body.size());
    if (buffered == size) return true;
    if (buffered < 0 || httpIsEncrypted(http)) return false;
    pollfd socket{httpGetFd(http), POLLIN, 0};
    const size_t rest = static_cast<size_t>(size - buffered);
    for (int waits = 0; waits < kWaits && poll(&socket, 1, 100) >= 0; waits++) {
        const ssize_t n = recv(socket.fd, body.data() + buffered, rest, MSG_PEEK | MSG_DONTWAIT);
        if (n == static_cast<ssize_t>(rest)) return true;
        if (n == 0) return false;
    }
    return false;
}

std::string Decode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(
                std::strtol(std::string(text.substr(i + 1, 2)).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int ParseForm(std::string_view body, cups_option_t** form) {
    int count = 0;
    *form = nullptr;
    while (!body.empty()) {
        const size_t amp = std::min(body.find('&'), body.size());
        const std::string_view pair = body.substr(0, amp);
        body.remove_prefix(std::min(amp + 1, body.size()));
        const size_t eq = std::min(pair.find('='), pair.size());
        const std::string value = eq < pair.size() ? Decode(pair.substr(eq + 1)) : "";
        count = cupsAddOption(Decode(pair.substr(0, eq)).c_str(), value.c_str(), count, form);
    }
    return count;
}

const Language* LanguageOf(pappl_printer_t* printer) {
    const DriverInfo* driver = FindDriver(papplPrinterGetDriverName(printer));
    return driver ? driver->language : nullptr;
}

std::string Faults(int count, cups_option_t* form, const Language* language) {
    std::string faults;
    for (int i = 0; i < count; i++)
        if (const VendorOption* option = FindVendorOption(form[i].name))
            if (std::string error = ValueError(*option, form[i].value, language); !error.empty())
                faults += error + " ";
    return faults;
}

std::string CurrentDefault(pappl_printer_t* printer, const char* name) {
    ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
    const std::string def = std::string(name) + "-default";
    char text[256] = "";
    ippAttributeString(ippFindAttribute(attrs, def.c_str(), IPP_TAG_ZERO), text, sizeof text);
    ippDelete(attrs);
    return text;
}

void ShowSetting(pappl_client_t* client, const VendorOption& option, const std::string& value,
                 const Language* language) {
    papplClientHTMLPrintf(client, "<tr><th>%s:</th><td>",
                          papplClientGetLocString(client, option.name));
    if (option.keywords.empty()) {
        papplClientHTMLPrintf(client,
                              "<input type=\"number\" name=\"%s\" min=\"%d\" max=\"%d\" "
                              "value=\"%s\" style=\"width: 6em;\"></td></tr>\n",
                              option.name, option.min, option.max, value.c_str());
        return;
    }
    papplClientHTMLPrintf(client, "<select name=\"%s\">", option.name);
    for (const VendorKeyword& k : option.keywords) {
        if (!TakesKeyword(k, language)) continue;
        const std::string key = std::string(option.name) + "." + k.keyword;
        papplClientHTMLPrintf(client, "<option value=\"%s\"%s>%s</option>", k.keyword,
                              value == k.keyword ? " selected" : "",
                              papplClientGetLocString(client, key.c_str()));
    }
    papplClientHTMLPuts(client, "</select></td></tr>\n");
}

// The form again, with the reason it was refused: the settings it sent,
// each wrong value replaced by the printer's default, and the rest of what
// it sent kept hidden, for the next submission.
void ShowRefusal(pappl_client_t* client, pappl_printer_t* printer, const std::string& faults,
                 int count, cups_option_t* form) {
    papplClientHTMLPrinterHeader(client, printer, "Printing Defaults", 0, nullptr, nullptr);
    papplClientHTMLPrintf(client, "<div class=\"banner\">%sNothing was changed.</div>\n",
                          faults.c_str());
    papplClientHTMLStartForm(client, papplClientGetURI(client), false);
    papplClientHTMLPuts(client, "<table class=\"form\"><tbody>\n");
    for (int i = 0; i < count; i++) {
        const VendorOption* option = FindVendorOption(form[i].name);
        if (!option) {
            if (std::string_view(form[i].name) != "session")
                papplClientHTMLPrintf(client, "<input type=\"hidden\" name=\"%s\" value=\"%s\">\n",
                                      form[i].name, form[i].value);
            continue;
        }
        const Language* language = LanguageOf(printer);
        const bool good = ValueError(*option, form[i].value, language).empty();
        ShowSetting(client, *option, good ? form[i].value : CurrentDefault(printer, option->name),
                    language);
    }
    papplClientHTMLPrintf(client,
                          "<tr><th></th><td><input type=\"submit\" value=\"%s\"></td></tr>\n"
                          "</tbody></table></form>\n",
                          papplClientGetLocString(client, "Save Changes"));
    papplClientHTMLPrinterFooter(client);
}

// Why a POST stores nothing: a setting outside its values, or a form that
// could not be looked at first. Empty for a form PAPPL may store (or
// refuse itself, as one without the session token).
std::string Faults(pappl_client_t* client, pappl_printer_t* printer) {
    std::string body;
    if (!PeekBody(client, body)) return "The form could not be checked. ";
    cups_option_t* form = nullptr;
    const int count = ParseForm(body, &form);
    const std::string faults =
        papplClientIsValidForm(client, count, form) ? Faults(count, form, LanguageOf(printer)) : "";
    cupsFreeOptions(count, form);
    return faults;
}

// A POST that must store nothing: answered here. False for every other
// request, which PAPPL's page handles.
bool Refused(pappl_client_t* client, pappl_printer_t* printer) {
    const std::string faults = Faults(client, printer);
    if (faults.empty()) return false;
    cups_option_t* form = nullptr;
    const int count = papplClientGetForm(client, &form);
    ShowRefusal(client, printer, faults, count, form);
    cupsFreeOptions(count, form);
    return true;
}

bool DefaultsPage(pappl_client_t* client, void* data) {
    auto* printer = static_cast<pappl_printer_t*>(data);
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        if (!papplClientHTMLAuthorize(client)) return true;
        if (Refused(client, printer)) return true;
    }
    _papplPrinterWebDefaults(client, printer);
    return true;
}
}  // namespace

void AddDefaultsCheck(pappl_printer_t* printer, void*) {
    char path[256];
    papplPrinterGetPath(printer, "printing", path, sizeof path);
    papplSystemAddResourceCallback(papplPrinterGetSystem(printer), path, "text/html", DefaultsPage,
                                   printer);
}

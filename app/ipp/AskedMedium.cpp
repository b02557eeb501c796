#include "app/ipp/AskedMedium.h"

#include <string>

#include "app/drivers/LoadedMedium.h"

namespace {
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

}  // namespace

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
    papplClientRespondIPP(client, IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED, "%s%s%s", said ? said : "", said ? " " : "",
                          told.c_str());
}

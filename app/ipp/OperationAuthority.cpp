#include "app/ipp/OperationAuthority.h"

#include <cstring>

namespace {
bool IsPrinterControl(ipp_op_t op) {
    switch (op) {
        case IPP_OP_ENABLE_PRINTER:
        case IPP_OP_DISABLE_PRINTER:
        case IPP_OP_PAUSE_PRINTER:
        case IPP_OP_PAUSE_PRINTER_AFTER_CURRENT_JOB:
        case IPP_OP_RESUME_PRINTER:
        case IPP_OP_HOLD_NEW_JOBS:
        case IPP_OP_RELEASE_HELD_NEW_JOBS:
        case IPP_OP_CANCEL_JOBS:
        case IPP_OP_CANCEL_CURRENT_JOB:
            return true;
        default:
            return false;
    }
}

bool IsJobControl(ipp_op_t op) {
    switch (op) {
        case IPP_OP_CANCEL_JOB:
        case IPP_OP_HOLD_JOB:
        case IPP_OP_RELEASE_JOB:
        case IPP_OP_CLOSE_JOB:
        case IPP_OP_SEND_DOCUMENT:
            return true;
        default:
            return false;
    }
}

bool RefuseUnlessAdministrator(pappl_client_t* client) {
    const http_status_t auth = papplClientIsAuthorized(client);
    if (auth == HTTP_STATUS_CONTINUE) return false;
    papplClientRespond(client, auth, nullptr, nullptr, 0, 0);
    return true;
}

// The job a request names by job-id or job-uri, or null.
pappl_job_t* RequestedJob(pappl_client_t* client) {
    ipp_t* request = papplClientGetRequest(client);
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (!printer) return nullptr;
    if (ipp_attribute_t* id = ippFindAttribute(request, "job-id", IPP_TAG_INTEGER))
        return papplPrinterFindJob(printer, ippGetInteger(id, 0));
    const char* uri = ippGetString(ippFindAttribute(request, "job-uri", IPP_TAG_URI), 0, nullptr);
    const char* last = uri ? std::strrchr(uri, '/') : nullptr;
    return last ? papplPrinterFindJob(printer, std::atoi(last + 1)) : nullptr;
}

// The user a request comes from: the one it authenticated as, else the one
// it names.
const char* Requester(pappl_client_t* client) {
    const char* user = papplClientGetUsername(client);
    if (user && *user) return user;
    ipp_attribute_t* name =
        ippFindAttribute(papplClientGetRequest(client), "requesting-user-name", IPP_TAG_NAME);
    return ippGetString(name, 0, nullptr);
}

bool IsOwner(pappl_client_t* client, pappl_job_t* job) {
    const char* owner = papplJobGetUsername(job);
    const char* requester = Requester(client);
    return owner && requester && std::strcmp(owner, requester) == 0;
}
}  // namespace

bool RefuseWithoutAuthority(pappl_client_t* client) {
    const ipp_op_t op = papplClientGetOperation(client);
    if (IsPrinterControl(op)) return RefuseUnlessAdministrator(client);
    if (!IsJobControl(op)) return false;
    // An unknown job is PAPPL's to report.
    pappl_job_t* job = RequestedJob(client);
    return job && !IsOwner(client, job) && RefuseUnlessAdministrator(client);
}

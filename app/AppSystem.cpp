#include "app/AppSystem.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "app/PortCheck.h"
#include "app/devices/AutoAdd.h"
#include "app/devices/BleDevice.h"
#include "app/devices/DeviceRules.h"
#include "app/documents/ImageFilters.h"
#include "app/documents/PdfTimeLimits.h"
#include "app/documents/RawLanguage.h"
#include "app/drivers/DriverSetup.h"
#include "app/ipp/IppDispatch.h"
#include "app/ipp/RequestChecks.h"
#include "app/ipp/SpoolCleanup.h"
#include "app/ipp/SpoolLimits.h"
#include "app/ipp/StateFile.h"
#include "app/web/AppFace.h"
#include "app/web/CalibratePage.h"
#include "app/web/DefaultsPage.h"

namespace {
constexpr const char* kName = "thermal-printer-app";

const char* Option(const char* name, int count, cups_option_t* options) {
    return cupsGetOption(name, count, options);
}

pappl_loglevel_t LogLevel(const char* value) {
    static constexpr std::pair<std::string_view, pappl_loglevel_t> kLevels[] = {
        {"fatal", PAPPL_LOGLEVEL_FATAL}, {"error", PAPPL_LOGLEVEL_ERROR},
        {"warn", PAPPL_LOGLEVEL_WARN},   {"info", PAPPL_LOGLEVEL_INFO},
        {"debug", PAPPL_LOGLEVEL_DEBUG},
    };
    for (const auto& [name, level] : kLevels)
        if (value && name == value) return level;
    return PAPPL_LOGLEVEL_WARN;
}

// The keywords of "server-options", as papplMainloop reads them.
pappl_soptions_t ServerOptions(const char* value) {
    static constexpr std::pair<std::string_view, pappl_soptions_t> kFlags[] = {
        {"dnssd-host", PAPPL_SOPTIONS_DNSSD_HOST},
        {"raw-socket", PAPPL_SOPTIONS_RAW_SOCKET},
        {"usb-printer", PAPPL_SOPTIONS_USB_PRINTER},
        {"web-log", PAPPL_SOPTIONS_WEB_LOG},
        {"web-network", PAPPL_SOPTIONS_WEB_NETWORK},
        {"web-remote", PAPPL_SOPTIONS_WEB_REMOTE},
        {"web-security", PAPPL_SOPTIONS_WEB_SECURITY},
        {"web-tls", PAPPL_SOPTIONS_WEB_TLS},
        {"no-tls", PAPPL_SOPTIONS_NO_TLS},
    };
    unsigned flags = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE;
    std::string_view rest = value ? value : "";
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view word = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
        if (word == "none") flags = PAPPL_SOPTIONS_NONE;
        if (word == "no-multi-queue") flags &= ~unsigned(PAPPL_SOPTIONS_MULTI_QUEUE);
        if (word == "no-web-interface") flags &= ~unsigned(PAPPL_SOPTIONS_WEB_INTERFACE);
        for (const auto& [name, flag] : kFlags)
            if (word == name) flags |= flag;
    }
    return static_cast<pappl_soptions_t>(flags);
}

bool ParsePort(const char* value, int& port) {
    port = 0;
    if (!value) return true;
    char* end = nullptr;
    const long parsed = std::strtol(value, &end, 10);
    if (*value == '\0' || *end || parsed < 0 || parsed > 65535) return false;
    port = static_cast<int>(parsed);
    return true;
}

// Where socket printing (-o server-options=raw-socket) listens: on the
// addresses of listen-hostname, printer 1 on -o raw-socket-port (9100 by
// default) and each next printer-id on the port after. False, with the
// reason on standard error, for a port that is no port.
bool ApplyRawSocket(pappl_system_t* system, int count, cups_option_t* options) {
    int port = 0;
    if (!ParsePort(Option("raw-socket-port", count, options), port)) {
        std::fprintf(stderr, "%s: Bad 'raw-socket-port' value \"%s\" (a number from 1 to 65535).\n",
                     kName, Option("raw-socket-port", count, options));
        return false;
    }
#ifdef THERMAL_SYSTEM_PAPPL
    // A system PAPPL listens on 9100 and up on every address.
    (void)system;
#else
    papplSystemSetRawSocket(system, Option("listen-hostname", count, options), port);
#endif
    return true;
}

// The TCP listeners; false when none could be made, which leaves a server
// that nobody can reach.
bool Listen(pappl_system_t* system, int count, cups_option_t* options) {
    if (Option("private-server", count, options)) return true;
    return papplSystemAddListeners(system, Option("listen-hostname", count, options));
}

// The server-wide settings of the command line.
void Configure(pappl_system_t* system, int count, cups_option_t* options) {
    // Standard error cannot be renamed and reopened: rotating it only
    // stalls the log.
    const char* logFile = Option("log-file", count, options);
    if (logFile && std::strcmp(logFile, "-") == 0) papplSystemSetMaxLogSize(system, 0);
    if (const char* group = Option("admin-group", count, options))
        papplSystemSetAdminGroup(system, group);
    if (const char* name = Option("server-hostname", count, options))
        papplSystemSetHostName(system, name);
}

// Our pages of a new printer, before PAPPL adds its own.
void AddPrinterPages(pappl_printer_t* printer, void* data) {
    AddDefaultsCheck(printer, data);
    AddCalibratePage(printer);
}

// The application's drivers, checks, image readers, state file and spool.
void InstallHooks(pappl_system_t* system, DriverList& drivers, const std::string& spoolDir,
                  const PdfTimeLimits* pdfTimes) {
    InstallOperationCheck(system, CheckRequest, nullptr);
    papplSystemSetPrinterDrivers(system, static_cast<int>(drivers.size()), drivers.data(),
                                 AutoAddDriver, AddPrinterPages, SetUpDriver, nullptr);
    // PAPPL waits for connections up to 30 s before it looks at a shutdown
    // request; a timer every second makes `shutdown` end the server at once.
    papplSystemAddTimerCallback(
        system, 0, 1, [](pappl_system_t*, void*) { return true; }, nullptr);
    AddImageFilters(system, pdfTimes);
    // Documents sent without a format that are printer commands go to the
    // printer as they are.
    papplSystemSetMIMECallback(system, RawFormatOfDocument, nullptr);
    AddAppFace(system);
    static const std::string statePath = StateFilePath(kName);
    if (papplSystemLoadState(system, statePath.c_str())) RemoveOrphanSpoolFiles(system, spoolDir);
    papplSystemSetSaveCallback(system, SaveStateAtomically, const_cast<char*>(statePath.c_str()));
}
}  // namespace

pappl_system_t* CreateAppSystem(int count, cups_option_t* options, void* data) {
    int port = 0;
    if (!ParsePort(Option("server-port", count, options), port)) {
        std::fprintf(stderr, "%s: Bad 'server-port' value \"%s\" (a number from 0 to 65535).\n",
                     kName, Option("server-port", count, options));
        return nullptr;
    }
    if (!SetFileDeviceFolder(Option("file-device-folder", count, options))) return nullptr;
    // The filters keep a pointer to them: one server a process.
    static PdfTimeLimits pdfTimes;
    if (!ReadPdfTimeLimits(Option("pdf-page-time", count, options),
                           Option("pdf-job-time", count, options), pdfTimes))
        return nullptr;
    if (!Option("private-server", count, options))
        if (const std::string busy = PortInUse(Option("listen-hostname", count, options), port);
            !busy.empty()) {
            std::fprintf(stderr, "%s: %s\n", kName, busy.c_str());
            return nullptr;
        }
    const char* spool = Option("spool-directory", count, options);
    const std::string spoolDir = spool ? spool : SpoolDirectoryPath(kName);
    pappl_system_t* system =
        papplSystemCreate(ServerOptions(Option("server-options", count, options)), kAppTitle, port,
                          "_print,_universal", spoolDir.c_str(), Option("log-file", count, options),
                          LogLevel(Option("log-level", count, options)),
                          Option("auth-service", count, options), false);
    if (!system) {
        std::fprintf(stderr, "%s: Unable to create the server (spool folder \"%s\").\n", kName,
                     spoolDir.c_str());
        return nullptr;
    }
    Configure(system, count, options);
    if (!ApplySpoolLimits(system, Option("max-job-size", count, options),
                          Option("max-spool-size", count, options)) ||
        !ApplyRawSocket(system, count, options)) {
        papplSystemDelete(system);
        return nullptr;
    }
    if (!Listen(system, count, options)) {
        const char* host = Option("listen-hostname", count, options);
        std::fprintf(stderr, "%s: Unable to listen on %s port %d: %s\n", kName,
                     host ? host : "every address", port, cupsLastErrorString());
        papplSystemDelete(system);
        return nullptr;
    }
    SetAutoAddLog(system);
    InstallHooks(system, *static_cast<DriverList*>(data), spoolDir, &pdfTimes);
    SetBleSystem(system);
    LogBleAvailability(system);
    return system;
}

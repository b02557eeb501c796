#include "app/devices/DeviceRules.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "app/devices/SerialUri.h"
#include "ble/BleServices.h"

namespace {
namespace fs = std::filesystem;

// Set once, before the system creates or loads any printer.
std::string g_folder;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

struct UriParts {
    std::string scheme, host, resource;
    int port = 0;
};

http_uri_status_t SeparateUri(const std::string& uri, UriParts& parts) {
    char scheme[32], userpass[256], host[256], resource[1024];
    const http_uri_status_t status =
        httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass,
                        sizeof userpass, host, sizeof host, &parts.port, resource, sizeof resource);
    parts.scheme = scheme;
    parts.host = host;
    parts.resource = resource;
    return status;
}

// The path of a file: URI without its options ("?ext=..."), or empty.
std::string FilePath(const std::string& uri) {
    UriParts parts;
    if (SeparateUri(uri, parts) < HTTP_URI_STATUS_OK || parts.scheme != "file")
        return std::string();
    return parts.resource.substr(0, parts.resource.find('?'));
}

// The form a scheme's URIs need, as the refusal names it.
struct SchemeForm {
    const char* scheme;
    const char* form;
    bool (*fits)(const std::string& uri, const UriParts& parts);
};

constexpr SchemeForm kForms[] = {
    {"socket", "socket://HOST or socket://HOST:PORT (port 9100 when none is given)",
     [](const std::string& uri, const UriParts& p) {
         return uri.starts_with("socket://") && !p.host.empty() && p.port > 0;
     }},
    {"file", "file:///PATH, with the file's full path",
     [](const std::string&, const UriParts& p) {
         return (p.host.empty() || p.host == "localhost") && p.resource.starts_with("/");
     }},
    {"ble", "ble://AA-BB-CC-DD-EE-FF, the printer's Bluetooth address",
     [](const std::string& uri, const UriParts&) { return !BleAddressOf(uri).empty(); }},
    {"usb", "usb://MAKE/MODEL?serial=NUMBER, as \"thermal-printer-app devices\" lists it",
     [](const std::string&, const UriParts& p) {
         return !p.host.empty() && p.resource.size() > 1;
     }},
};

const SchemeForm* FormOf(const std::string& scheme) {
    for (const SchemeForm& f : kForms)
        if (scheme == f.scheme) return &f;
    return nullptr;
}

bool Inside(const std::string& path, const std::string& folder) {
    return path == folder || folder == "/" || path.starts_with(folder + "/");
}

// Where the file really is: `..` and symbolic links resolved.
std::string RealPath(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real.string();
}

std::string FolderError(const std::string& uri, const std::string& path) {
    if (g_folder.empty())
        return "The device URI " + Quoted(uri) +
               " is a file, and this server takes no file devices: start it with "
               "-o file-device-folder=DIR to allow files inside DIR.";
    const std::string real = RealPath(path);
    if (Inside(real, g_folder)) return std::string();
    return "The device URI " + Quoted(uri) + " is a file outside " + g_folder +
           ", the folder this server takes file devices in (-o file-device-folder)" +
           (real != path ? "; it leads to " + real + "." : ".");
}

std::string FileError(const std::string& uri, const std::string& path) {
    if (std::string error = FolderError(uri, path); !error.empty()) return error;
    if (access(path.c_str(), W_OK) == 0) return std::string();
    return "The device URI " + Quoted(uri) + " names " + path +
           ", which the server cannot write to: " + std::strerror(errno) +
           " (create the file or folder first).";
}
}  // namespace

bool SetFileDeviceFolder(const char* folder) {
    if (!folder) return true;
    std::error_code ec;
    const fs::path real = fs::canonical(folder, ec);
    if (ec || !fs::is_directory(real)) {
        std::fprintf(stderr, "thermal-printer-app: Bad 'file-device-folder' value \"%s\" (%s).\n",
                     folder, ec ? ec.message().c_str() : "not a folder");
        return false;
    }
    g_folder = real.string();
    return true;
}

std::string DeviceUriFormError(const std::string& uri) {
    if (uri.starts_with("serial:")) {
        SerialSettings settings;
        std::string error;
        return ParseSerialUri(uri, settings, error) ? std::string() : error;
    }
    UriParts parts;
    const bool wellFormed = SeparateUri(uri, parts) >= HTTP_URI_STATUS_OK;
    if (const SchemeForm* form = FormOf(parts.scheme);
        form && (!wellFormed || !form->fits(uri, parts)))
        return "The device URI " + Quoted(uri) + " is not of the form " + form->form + ".";
    if (wellFormed) return std::string();
    return "The device URI " + Quoted(uri) +
           " is malformed: " + httpURIStatusString(SeparateUri(uri, parts)) + ".";
}

std::string DeviceUriError(const std::string& uri) {
    if (std::string error = DeviceUriFormError(uri); !error.empty()) return error;
    if (uri.starts_with("serial:")) return std::string();
    UriParts parts;
    SeparateUri(uri, parts);
    if (parts.scheme == "file") return FileError(uri, FilePath(uri));
    if (papplDeviceIsSupported(uri.c_str())) return std::string();
    return "The device URI " + Quoted(uri) + " has the scheme " + Quoted(parts.scheme) +
           ", which no device of this application has (\"thermal-printer-app devices\" "
           "lists the printers it finds).";
}

bool FileDeviceRefused(pappl_system_t* system, const char* deviceUri) {
    const std::string path = FilePath(deviceUri ? deviceUri : "");
    if (path.empty()) return false;
    const std::string error = FolderError(deviceUri, path);
    if (error.empty()) return false;
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Printer refused: %s", error.c_str());
    return true;
}

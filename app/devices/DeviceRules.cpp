#include "app/devices/DeviceRules.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "app/devices/SerialUri.h"

namespace {
namespace fs = std::filesystem;

// Set once, before the system creates or loads any printer.
std::string g_folder;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The path of a file: URI without its options ("?ext=..."), or empty.
std::string FilePath(const std::string& uri) {
    char scheme[32], userpass[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass,
                        sizeof userpass, host, sizeof host, &port, resource,
                        sizeof resource) < HTTP_URI_STATUS_OK ||
        std::strcmp(scheme, "file"))
        return std::string();
    std::string path = resource;
    return path.substr(0, path.find('?'));
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

std::string DeviceUriError(const std::string& uri) {
    if (uri.starts_with("serial:")) {
        SerialSettings settings;
        std::string error;
        return ParseSerialUri(uri, settings, error) ? std::string() : error;
    }
    char scheme[32], userpass[256], host[256], resource[1024];
    int port = 0;
    const http_uri_status_t status =
        httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass,
                        sizeof userpass, host, sizeof host, &port, resource, sizeof resource);
    if (status < HTTP_URI_STATUS_OK)
        return "The device URI " + Quoted(uri) + " is malformed: " + httpURIStatusString(status) +
               ".";
    if (!std::strcmp(scheme, "file")) return FileError(uri, FilePath(uri));
    if (papplDeviceIsSupported(uri.c_str())) return std::string();
    return "The device URI " + Quoted(uri) + " has the scheme " + Quoted(scheme) +
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

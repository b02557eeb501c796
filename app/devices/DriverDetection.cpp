#include "app/devices/DriverDetection.h"

#include <pappl/pappl.h>

#include "app/devices/AutoAdd.h"
#include "app/devices/BleDevice.h"
#include "app/devices/LanguageProbe.h"
#include "ble/BleScan.h"
#include "ble/BleServices.h"
#include "printers/Languages.h"

namespace {
void IgnoreDeviceError(const char*, void*) {}

// The IEEE 1284 device ID the printer reports, or empty.
std::string OwnDeviceId(const std::string& uri) {
    pappl_device_t* device = papplDeviceOpen(uri.c_str(), "auto", IgnoreDeviceError, nullptr);
    if (!device) return std::string();
    char id[1024] = "";
    papplDeviceGetID(device, id, sizeof id);
    papplDeviceClose(device);
    return id;
}

const char* FromDeviceId(const std::string& id, std::string& detail) {
    if (const char* driver = DriverForDeviceId(id)) return driver;
    detail = id.empty() ? "it gave no device ID"
                        : "its device ID \"" + id + "\" names no language of the drivers";
    return nullptr;
}

const char* FromProbe(const ProbeResult& result, std::string& detail) {
    if (result.language) return DriverForLanguage(*result.language);
    detail = result.detail;
    return nullptr;
}

const char* ByProbe(const std::string& uri, const std::string& scheme, std::string& detail) {
    if (scheme != "socket") return FromProbe(ProbeDevicePrinter(uri), detail);
    char name[32], userpass[256], host[256], resource[1024];
    int port = 0;
    httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), name, sizeof name, userpass, sizeof userpass,
                    host, sizeof host, &port, resource, sizeof resource);
    return FromProbe(ProbeNetworkPrinter(host, port > 0 ? port : 9100), detail);
}
}  // namespace

const char* DetectDriver(const std::string& uri, const std::string& id, std::string& detail) {
    const std::string scheme = uri.substr(0, uri.find(':'));
    if (scheme == "ble") {
        if (const char* driver = BleDriverOfDeviceId(id)) return driver;
        return SuggestBleDriverFor(BleAddressOf(uri), detail);
    }
    if (const char* driver = DriverForDeviceId(id)) return driver;
    if (scheme == "usb") return FromDeviceId(id.empty() ? OwnDeviceId(uri) : id, detail);
    // DNS-SD and SNMP entries are not asked: opening them may take PAPPL
    // far longer than the queries may.
    if (scheme == "socket" || scheme == "serial") return ByProbe(uri, scheme, detail);
    detail = scheme == "file" ? "a file does not answer" : "its device ID names no language";
    return nullptr;
}

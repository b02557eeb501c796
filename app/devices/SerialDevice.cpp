#include "app/devices/SerialDevice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "app/devices/SerialPort.h"

namespace {
// How long one read waits for the printer: status replies are read in short
// waits up to their own deadline.
constexpr int kReadWaitMs = 100;

struct PortKind {
    std::string_view prefix;
    const char* info;
};
constexpr PortKind kKinds[] = {
    {"rfcomm", "Bluetooth serial port"},
    {"ttyUSB", "USB serial adapter"},
    {"ttyACM", "USB serial printer"},
};

const PortKind* KindOf(std::string_view name) {
    for (const PortKind& k : kKinds) {
        const std::string_view number = name.substr(std::min(name.size(), k.prefix.size()));
        if (name.starts_with(k.prefix) && !number.empty() &&
            std::all_of(number.begin(), number.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
            return &k;
    }
    return nullptr;
}

SerialPort* PortOf(pappl_device_t* device) {
    return static_cast<SerialPort*>(papplDeviceGetData(device));
}

bool ListPorts(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t, void*) {
    for (const SerialPortEntry& port : FindSerialPorts())
        if (cb(port.info.c_str(), port.uri.c_str(), "", data)) return true;
    return false;
}

bool OpenPort(pappl_device_t* device, const char* uri, const char*) {
    SerialSettings settings;
    std::string error;
    std::unique_ptr<SerialPort> port;
    if (ParseSerialUri(uri ? uri : "", settings, error)) port = SerialPort::Open(settings, error);
    if (!port) {
        papplDeviceError(device, "%s", error.c_str());
        return false;
    }
    papplDeviceSetData(device, port.release());
    return true;
}

void ClosePort(pappl_device_t* device) {
    delete PortOf(device);
    papplDeviceSetData(device, nullptr);
}

ssize_t WritePort(pappl_device_t* device, const void* buffer, size_t bytes) {
    SerialPort* port = PortOf(device);
    if (!port || port->Failed()) return -1;
    std::string error;
    if (port->WriteAll(buffer, bytes, error)) return static_cast<ssize_t>(bytes);
    papplDeviceError(device, "%s", error.c_str());
    return -1;
}

ssize_t ReadPort(pappl_device_t* device, void* buffer, size_t bytes) {
    SerialPort* port = PortOf(device);
    return port ? port->Read(buffer, bytes, kReadWaitMs) : -1;
}
}  // namespace

std::vector<SerialPortEntry> FindSerialPorts(const std::string& devDir) {
    std::vector<SerialPortEntry> ports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(devDir, ec)) {
        const std::string name = entry.path().filename().string();
        const PortKind* kind = KindOf(name);
        if (!kind) continue;
        const std::string path = entry.path().string();
        ports.push_back(
            {path, std::string(kind->info) + " " + name, "serial:" + path + "?baud=115200"});
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.path < b.path; });
    return ports;
}

bool SerialUriRefused(pappl_system_t* system, const char* deviceUri) {
    SerialSettings settings;
    std::string error;
    if (!deviceUri || !std::string_view(deviceUri).starts_with("serial:") ||
        ParseSerialUri(deviceUri, settings, error))
        return false;
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Printer not added: %s", error.c_str());
    return true;
}

void RegisterSerialScheme() {
    // PAPPL adds its own schemes (file:, socket:, usb:, ...) only when none
    // exist yet; asking about one first keeps them from being hidden by ours.
    papplDeviceIsSupported("socket://localhost");
    papplDeviceAddScheme("serial", PAPPL_DEVTYPE_CUSTOM_LOCAL, ListPorts, OpenPort, ClosePort,
                         ReadPort, WritePort, nullptr, nullptr);
}

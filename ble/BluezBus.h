#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>
#include <vector>

#include "ble/BleServices.h"

// BlueZ on the D-Bus system bus, through GLib's GDBus. GDBus is thread-safe,
// its synchronous calls work from PAPPL's job threads without a main loop,
// and its signals go to a GMainContext we own and run when we choose; libgio
// is on every Debian system that has BlueZ. Each user holds its own private
// connection, so a link that goes away takes nothing else with it.

struct BleDeviceInfo {
    std::string path;     // /org/bluez/hci0/dev_AA_BB_CC_DD_EE_FF
    std::string address;  // AA:BB:CC:DD:EE:FF
    std::string name;     // advertised name (Alias when it has none)
    std::vector<std::string> uuids;
};

// What BlueZ knows now: adapters, devices and GATT characteristics.
struct BluezObjects {
    std::vector<std::string> adapters;
    std::vector<BleDeviceInfo> devices;
    std::vector<BleCharacteristic> characteristics;

    const BleDeviceInfo* Device(const std::string& address) const;
    // The characteristics below a device's object path.
    std::vector<BleCharacteristic> Below(const std::string& devicePath) const;
};

class CBluezBus {
public:
    static constexpr const char* kService = "org.bluez";

    // Null, with one sentence saying why, when there is no system bus or
    // BlueZ is not on it.
    static std::unique_ptr<CBluezBus> Connect(std::string& error);
    ~CBluezBus();
    CBluezBus(const CBluezBus&) = delete;
    CBluezBus& operator=(const CBluezBus&) = delete;

    GDBusConnection* Connection() const { return m_bus; }
    bool Objects(BluezObjects& objects, std::string& error) const;
    // A method call on an org.bluez object; `args` (floating) may be null.
    // False, with BlueZ's message, on error.
    bool Call(const std::string& path, const char* interface, const char* method, GVariant* args,
              int timeoutMs, std::string& error) const;

private:
    explicit CBluezBus(GDBusConnection* bus) : m_bus(bus) {}
    GDBusConnection* m_bus;
};

// "Name.Of.Error: message" of a GError, freeing it.
std::string TakeError(GError* error);

#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ble/BleServices.h"

// BlueZ on the D-Bus system bus, through GLib's GDBus. Each user holds its
// own private connection and GMainContext, so a link that goes away takes
// nothing else with it. Calls are asynchronous: replies and subscribed
// signals arrive on that context, which the caller runs in short waits, so a
// call can be given up when its caller says stop (a cancelled job, a server
// that shuts down) instead of waiting out its timeout.

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
    // Asked at least every kCheckMs while a call waits: true gives it up.
    using StopCheck = std::function<bool()>;
    static constexpr int kCheckMs = 100;

    // Null, with one sentence saying why, when there is no system bus or
    // BlueZ is not on it (or `stop` said stop).
    static std::unique_ptr<CBluezBus> Connect(std::string& error, StopCheck stop = nullptr);
    ~CBluezBus();
    CBluezBus(const CBluezBus&) = delete;
    CBluezBus& operator=(const CBluezBus&) = delete;

    GDBusConnection* Connection() const { return m_bus; }
    // BlueZ's unique name on the bus (":1.7"). Any client may send signals
    // with BlueZ's object paths; only this one's come from BlueZ.
    const std::string& Owner() const { return m_owner; }
    // Where replies and the signals subscribed while it is the thread's
    // default context arrive.
    GMainContext* Context() const { return m_context; }

    // Replaces the stop check; a null one waits calls out.
    void SetStopCheck(StopCheck stop);
    // True once the stop check said stop; every later call fails at once.
    bool Stopped();
    // Runs what arrived, waiting up to `ms` for something to.
    void Wait(int ms);

    bool Objects(BluezObjects& objects, std::string& error);
    // A method call on an org.bluez object; `args` (floating) may be null.
    // False, with BlueZ's message, on error.
    bool Call(const std::string& path, const char* interface, const char* method, GVariant* args,
              int timeoutMs, std::string& error);

private:
    CBluezBus(GDBusConnection* bus, StopCheck stop);
    // The reply, or null with the error; `args` (floating) may be null.
    GVariant* Ask(const char* destination, const std::string& path, const char* interface,
                  const char* method, GVariant* args, const GVariantType* replyType, int timeoutMs,
                  std::string& error);

    GDBusConnection* m_bus;
    GMainContext* m_context;
    StopCheck m_stop;
    bool m_stopped = false;
    std::string m_owner;
};

// "Name.Of.Error: message" of a GError, freeing it.
std::string TakeError(GError* error);

#include "app/devices/BleDevice.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "app/drivers/DriverCatalog.h"
#include "ble/BleLink.h"
#include "ble/BleScan.h"

namespace {
// How long one read waits for the printer: status replies are read in short
// waits up to their own deadline.
constexpr int kReadWaitMs = 100;
// How long a printing job may go on once the server is asked to stop: the
// time the server itself gives printing jobs before it stops them.
constexpr auto kShutdownGrace = std::chrono::seconds(2);

std::atomic<pappl_system_t*> g_system = nullptr;

// The open links, so that the job's output can tell why one failed.
std::mutex g_linksMutex;
std::map<pappl_device_t*, CBleLink*> g_links;

// Addresses of the printers whose links hear every notifying characteristic.
std::mutex g_everyNotifyMutex;
std::map<std::string, bool> g_everyNotify;

bool EveryNotify(const std::string& address) {
    std::lock_guard lock(g_everyNotifyMutex);
    const auto it = g_everyNotify.find(address);
    return it != g_everyNotify.end() && it->second;
}

CBleLink* LinkOf(pappl_device_t* device) {
    return static_cast<CBleLink*>(papplDeviceGetData(device));
}

bool ListBle(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t errorCb, void* errorData) {
    std::string error;
    const std::vector<BlePrinterSeen> seen = ScanBlePrinters(error);
    if (!error.empty() && errorCb)
        errorCb(("Bluetooth LE printers are not listed: " + error + ".").c_str(), errorData);
    for (const BlePrinterSeen& p : seen)
        if (cb(p.info.c_str(), p.uri.c_str(), p.deviceId.c_str(), data)) return true;
    return false;
}

bool OpenBle(pappl_device_t* device, const char* uri, const char*) {
    const std::string address = BleAddressOf(uri ? uri : "");
    if (address.empty()) {
        papplDeviceError(device, "'%s' is not a Bluetooth LE address (ble://AA-BB-CC-DD-EE-FF).",
                         uri ? uri : "");
        return false;
    }
    std::string error;
    // No job is known here: a shutdown ends the connect, a cancel waits
    // for it (at most CBleLink::kConnectMs).
    auto shutdown = [] { return papplSystemIsShutdown(g_system.load()); };
    std::unique_ptr<CBleLink> link = CBleLink::Open(address, error, shutdown, EveryNotify(address));
    if (!link) {
        if (!shutdown()) papplDeviceError(device, "%s", error.c_str());
        return false;
    }
    std::lock_guard lock(g_linksMutex);
    g_links[device] = link.get();
    papplDeviceSetData(device, link.release());
    return true;
}

void CloseBle(pappl_device_t* device) {
    {
        std::lock_guard lock(g_linksMutex);
        g_links.erase(device);
    }
    delete LinkOf(device);
    papplDeviceSetData(device, nullptr);
}

ssize_t WriteBle(pappl_device_t* device, const void* buffer, size_t bytes) {
    CBleLink* link = LinkOf(device);
    if (!link) return -1;
    if (link->Write(buffer, bytes)) return static_cast<ssize_t>(bytes);
    if (!link->Stopped()) papplDeviceError(device, "%s", link->Problem().c_str());
    return -1;
}

ssize_t ReadBle(pappl_device_t* device, void* buffer, size_t bytes) {
    CBleLink* link = LinkOf(device);
    return link ? link->Read(buffer, bytes, kReadWaitMs) : -1;
}

CBluezBus::StopCheck JobStopCheck(pappl_job_t* job) {
    pappl_system_t* system = papplPrinterGetSystem(papplJobGetPrinter(job));
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> stopping;
    return [job, system, stopping]() mutable {
        if (papplJobIsCanceled(job)) return true;
        if (!papplSystemIsShutdown(system)) return false;
        if (!stopping) stopping = Clock::now();
        return Clock::now() - *stopping >= kShutdownGrace;
    };
}
}  // namespace

void SetBleSystem(pappl_system_t* system) {
    g_system = system;
}

void WatchBleJob(pappl_device_t* device, pappl_job_t* job) {
    std::lock_guard lock(g_linksMutex);
    const auto it = g_links.find(device);
    if (it != g_links.end() && job) it->second->SetStopCheck(JobStopCheck(job));
}

void RegisterBleScheme() {
    // PAPPL adds its own schemes only when none exist yet (see
    // RegisterSerialScheme); this comes after the serial one.
    papplDeviceIsSupported("socket://localhost");
    papplDeviceAddScheme("ble", PAPPL_DEVTYPE_CUSTOM_LOCAL, ListBle, OpenBle, CloseBle, ReadBle,
                         WriteBle, nullptr, nullptr);
}

void LogBleAvailability(pappl_system_t* system) {
    std::string error;
    std::unique_ptr<CBluezBus> bus = CBluezBus::Connect(error);
    BluezObjects objects;
    if (bus && bus->Objects(objects, error) && objects.adapters.empty())
        error = "BlueZ has no Bluetooth adapter";
    if (error.empty())
        papplLog(system, PAPPL_LOGLEVEL_INFO,
                 "Bluetooth LE printers: BlueZ is running with %d adapter(s).",
                 static_cast<int>(objects.adapters.size()));
    else
        papplLog(system, PAPPL_LOGLEVEL_WARN, "Bluetooth LE printers are unavailable: %s.",
                 error.c_str());
}

std::string BleDeviceProblem(pappl_device_t* device) {
    std::lock_guard lock(g_linksMutex);
    const auto it = g_links.find(device);
    return it == g_links.end() ? "" : it->second->Problem();
}

bool BleDeviceLost(pappl_device_t* device) {
    std::lock_guard lock(g_linksMutex);
    const auto it = g_links.find(device);
    return it != g_links.end() && it->second->Lost();
}

void SetBleEveryNotify(std::string_view deviceUri, bool everyNotify) {
    const std::string address = BleAddressOf(deviceUri);
    if (address.empty()) return;
    std::lock_guard lock(g_everyNotifyMutex);
    g_everyNotify[address] = everyNotify;
}

const char* BleDriverOfDeviceId(std::string_view deviceId) {
    constexpr std::string_view kDriverKey = "DRV:";
    const size_t at = deviceId.find(kDriverKey);
    if (at == std::string_view::npos) return nullptr;
    std::string_view name = deviceId.substr(at + kDriverKey.size());
    name = name.substr(0, name.find(';'));
    const DriverInfo* driver = FindDriver(name);
    return driver ? driver->name : nullptr;
}

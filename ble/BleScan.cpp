#include "ble/BleScan.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "ble/BleLink.h"
#include "ble/BluezBus.h"

namespace {
constexpr const char* kAdapter = "org.bluez.Adapter1";
constexpr int kCallMs = 5000;

// The driver the device's name and services suggest, or null.
const char* DriverOf(const BluezObjects& objects, const std::string& address) {
    const BleDeviceInfo* device = objects.Device(address);
    if (!device) return nullptr;
    std::vector<std::string> services = device->uuids;
    for (const BleCharacteristic& c : objects.Below(device->path)) services.push_back(c.service);
    return SuggestBleDriver(device->name, services);
}

GVariant* LowEnergyOnly() {
    GVariantBuilder filter;
    g_variant_builder_init(&filter, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&filter, "{sv}", "Transport", g_variant_new_string("le"));
    return g_variant_new("(a{sv})", &filter);
}
}  // namespace

std::vector<BlePrinterSeen> ScanBlePrinters(std::string& error) {
    std::vector<BlePrinterSeen> seen;
    std::unique_ptr<CBluezBus> bus = CBluezBus::Connect(error);
    BluezObjects objects;
    if (!bus || !bus->Objects(objects, error)) return seen;
    if (objects.adapters.empty()) {
        error = "BlueZ has no Bluetooth adapter";
        return seen;
    }
    std::string ignored;
    for (const std::string& adapter : objects.adapters) {
        bus->Call(adapter, kAdapter, "SetDiscoveryFilter", LowEnergyOnly(), kCallMs, ignored);
        bus->Call(adapter, kAdapter, "StartDiscovery", nullptr, kCallMs, ignored);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kBleScanMs));
    for (const std::string& adapter : objects.adapters)
        bus->Call(adapter, kAdapter, "StopDiscovery", nullptr, kCallMs, ignored);
    if (!bus->Objects(objects, error)) return seen;
    for (const BleDeviceInfo& d : objects.devices) {
        const char* driver = SuggestBleDriver(d.name, d.uuids);
        if (!driver) continue;
        const std::string name = d.name.empty() ? d.address : d.name;
        seen.push_back({name, d.address, driver, BleUriOf(d.address),
                        name + " (Bluetooth LE " + d.address + ", driver " + driver + ")",
                        "MFG:Bluetooth LE;MDL:" + name + ";DRV:" + driver + ";"});
    }
    std::sort(seen.begin(), seen.end(), [](const BlePrinterSeen& a, const BlePrinterSeen& b) {
        return a.address < b.address;
    });
    return seen;
}

const char* SuggestBleDriverFor(const std::string& address, std::string& error) {
    std::unique_ptr<CBluezBus> bus = CBluezBus::Connect(error);
    BluezObjects objects;
    if (!bus || !bus->Objects(objects, error)) return nullptr;
    if (const char* driver = DriverOf(objects, address)) return driver;
    // BlueZ lists a printer's GATT services once it has been connected.
    const std::unique_ptr<CBleLink> link = CBleLink::Open(address, error);
    if (!link) return nullptr;
    if (!bus->Objects(objects, error)) return nullptr;
    if (const char* driver = DriverOf(objects, address)) return driver;
    error = "neither its name nor its services are those of a printer family the drivers know";
    return nullptr;
}

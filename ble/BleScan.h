#pragma once

#include <string>
#include <string_view>
#include <vector>

// A Bluetooth LE printer seen in a short scan, as `devices` and the web page
// "Add Printer" list it.
struct BlePrinterSeen {
    std::string name, address;
    std::string driver;    // suggested driver
    std::string uri;       // ble://AA-BB-CC-DD-EE-FF
    std::string info;      // "GB02 (Bluetooth LE AA:..., driver cat_203)"
    std::string deviceId;  // MFG:Bluetooth LE;MDL:GB02;DRV:cat_203; (DRV: the driver)
};

// How long a scan listens for advertisements.
inline constexpr int kBleScanMs = 2000;

// The printers BlueZ sees after a scan of kBleScanMs on every adapter, in
// address order; empty with one sentence in `error` when BLE is unavailable.
std::vector<BlePrinterSeen> ScanBlePrinters(std::string& error);

// The driver suggested for one printer (AA:BB:CC:DD:EE:FF) by its name and
// its services: those it advertised and the GATT services BlueZ lists below
// it. When they name none, it connects to the printer to read its GATT
// services (within CBleLink's limits) and disconnects. Null, with the
// reason in `error`, when nothing names a driver.
const char* SuggestBleDriverFor(const std::string& address, std::string& error);

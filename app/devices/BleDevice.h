#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>

// Makes ble://AA-BB-CC-DD-EE-FF device URIs known to PAPPL: Bluetooth LE
// printers reached through BlueZ. Call once, before papplMainloop.
void RegisterBleScheme();

// Logs in one sentence whether Bluetooth LE printers can be used here, and
// why not when they can't. The server goes on either way.
void LogBleAvailability(pappl_system_t* system);

// Why the open Bluetooth LE device failed (its link dropped, it refused
// data), or empty for a device that is not one or has not failed.
std::string BleDeviceProblem(pappl_device_t* device);
// True when the device is a Bluetooth LE link that dropped.
bool BleDeviceLost(pappl_device_t* device);

// The driver a scan suggested, from its device ID ("DRV:name;"), or null
// when it names no driver of ours.
const char* BleDriverOfDeviceId(std::string_view deviceId);

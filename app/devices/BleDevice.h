#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>

// Makes ble://AA-BB-CC-DD-EE-FF device URIs known to PAPPL: Bluetooth LE
// printers reached through BlueZ. Call once, before papplMainloop.
void RegisterBleScheme();

// The server whose shutdown ends the Bluetooth LE connects still waiting.
// Call once, when it is created.
void SetBleSystem(pappl_system_t* system);

// Lets the job's Bluetooth LE link give up its waits once the job is
// cancelled, or once the server has been stopping for as long as it lets
// printing jobs finish. Nothing for a device that is not one.
void WatchBleJob(pappl_device_t* device, pappl_job_t* job);

// Logs in one sentence whether Bluetooth LE printers can be used here, and
// why not when they can't. The server goes on either way.
void LogBleAvailability(pappl_system_t* system);

// Why the open Bluetooth LE device failed (its link dropped, it refused
// data), or empty for a device that is not one or has not failed.
std::string BleDeviceProblem(pappl_device_t* device);
// True when the device is a Bluetooth LE link that dropped.
bool BleDeviceLost(pappl_device_t* device);

// Whether the links to the printer at this ble:// device URI hear every
// notifying characteristic of its service (its driver says so); nothing for
// other URIs. Set when the printer's driver is set up.
void SetBleEveryNotify(std::string_view deviceUri, bool everyNotify);

// The driver a scan suggested, from its device ID ("DRV:name;"), or null
// when it names no driver of ours.
const char* BleDriverOfDeviceId(std::string_view deviceId);

#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

// A serial port a printer may sit on, as `devices` lists it.
struct SerialPortEntry {
    std::string path;  // /dev/rfcomm0
    std::string info;  // what it is, for people
    std::string uri;   // serial:/dev/rfcomm0?baud=115200
};

// The Bluetooth (rfcomm*) and USB serial (ttyUSB*, ttyACM*) ports in the
// folder, in name order.
std::vector<SerialPortEntry> FindSerialPorts(const std::string& devDir = "/dev");

// True, after logging why, when the URI is a serial: URI that can't be used
// (unknown speed, not a device path): such a printer is not added.
bool SerialUriRefused(pappl_system_t* system, const char* deviceUri);

// Makes serial: device URIs known to PAPPL. Call once, before papplMainloop.
void RegisterSerialScheme();

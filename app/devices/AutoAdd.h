#pragma once

#include <string_view>

// The driver for a printer's IEEE 1284 device ID ("MFG:...;MDL:...;CMD:...;"),
// or null when the ID names no printer language the application speaks.
const char* DriverForDeviceId(std::string_view deviceId);

// PAPPL's auto-add callback: picks the driver for a printer found on USB
// (the `autoadd` subcommand) or added with the driver "auto".
const char* AutoAddDriver(const char* deviceInfo, const char* deviceUri, const char* deviceId,
                          void* data);

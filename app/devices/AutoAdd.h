#pragma once

#include <pappl/pappl.h>

#include <string_view>

struct Language;

// The driver for a printer's IEEE 1284 device ID ("MFG:...;MDL:...;CMD:...;"),
// or null when the ID names no printer language the application speaks.
const char* DriverForDeviceId(std::string_view deviceId);

// The language's driver when nothing tells the printer's resolution and
// width: the lowest resolution, the narrowest paper (an unknown width never
// clips).
const char* DriverForLanguage(const Language& language);

// PAPPL's auto-add callback: picks the driver for a printer found on USB
// (the `autoadd` subcommand) or added with the driver "auto", before the
// printer is created (app/devices/DriverDetection.h).
const char* AutoAddDriver(const char* deviceInfo, const char* deviceUri, const char* deviceId,
                          void* data);

// The system whose log tells what the auto-add callback found and why it
// found nothing; set once, when the server starts.
void SetAutoAddLog(pappl_system_t* system);

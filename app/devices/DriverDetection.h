#pragma once

#include <string>

// The driver for a printer added with the driver "auto", found before the
// printer is created:
//  - Bluetooth LE: the driver a scan suggested (DRV: of its device ID), else
//    what its name and GATT services suggest;
//  - USB: its IEEE 1284 device ID (the one given, else the printer's own);
//  - network (socket://) and serial: the device ID when one is given, else
//    the printer is asked in every language it may speak
//    (app/devices/LanguageProbe.h);
//  - other devices (files, DNS-SD and SNMP entries): the device ID given.
// Null, with what was tried in `detail` (a phrase for the log), when nothing
// tells.
const char* DetectDriver(const std::string& deviceUri, const std::string& deviceId,
                         std::string& detail);

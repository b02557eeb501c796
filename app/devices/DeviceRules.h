#pragma once

#include <pappl/pappl.h>

#include <string>

// Which device URIs a printer may have. A file: device (a file the server
// appends to, or a folder it writes one file per job into) must lie inside
// the folder given with the server option file-device-folder, after `..`
// and symbolic links are resolved; without that option the server takes no
// file devices, since it writes them with its own rights.

// Sets the folder (null: none). False, with the reason on standard error,
// when it is not an existing folder.
bool SetFileDeviceFolder(const char* folder);

// Why a new printer cannot have this device URI: malformed, a scheme
// without devices, not of its scheme's form, a bad serial setting, a file
// outside the folder or one the server cannot write to. Empty when it can.
std::string DeviceUriError(const std::string& uri);

// The form alone, as the command line can check it without the server:
// malformed, or not of the form its scheme needs (socket://HOST[:PORT],
// file:///PATH, ble://AA-BB-CC-DD-EE-FF, usb://MAKE/MODEL, a serial URI),
// with that form named. Empty when the form is right or the scheme is not
// one of those.
std::string DeviceUriFormError(const std::string& uri);

// The folder rule alone, for every printer the system creates or loads:
// logs and returns true for a file device outside the folder.
bool FileDeviceRefused(pappl_system_t* system, const char* deviceUri);

#pragma once

#include <span>
#include <string_view>

#include "printers/Languages.h"

// One driver: a printer language at one resolution and head width, with its
// media.
struct DriverInfo {
    const char* name;
    const char* makeAndModel;
    const char* deviceId;
    const Language* language;
    int dpi;
    int headDots;    // printable width in dots: wider pages are cut to it, centred
    int sideMargin;  // hundredths of millimetres, left and right, at least
    std::span<const char* const> media;  // the first one is the default
    const char* rollMin;
    const char* rollMax;
    // Printers set up with this driver whatever their device ID says, as
    // "MAKER MODEL" from its MFG and MDL fields in upper case.
    std::span<const char* const> models{};
    // Media types beyond labels and continuous, as the printer reports its
    // medium's kind (media-type keywords).
    std::span<const char* const> types{};
    // Over Bluetooth LE its answers may come on any notifying characteristic
    // of the service it is written to: all of them are heard.
    bool bleEveryNotify = false;
};

// Every language's drivers (languages/<name>/Drivers.cpp), in the order of the
// language list.
std::span<const DriverInfo> Drivers();
const DriverInfo* FindDriver(std::string_view name);

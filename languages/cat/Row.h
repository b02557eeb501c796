#pragma once

#include "printers/LanguageRow.h"

class CPrinterCat;
extern const StatusExchange kCatStatus;

namespace language_data {
inline constexpr LanguageOption kCatOptions[] = {
    THERMAL_IMAGE_OPTIONS,      {"Rotate", "0"},      {"Darkness", "3"},
    {"zePrintRate", "Default"}, {"FeedOffset", "10"}, {"WhiteRunLimit", "0"},
};
// The names cat printers advertise, and the model of the driver's device ID.
inline constexpr const char* kCatNames[] = {"GB01", "GB02", "GB03", "GT01", "MX05", "MX06",
                                            "MX08", "MX09", "MX10", "MX11", "YT01", "CAT PRINTER"};
}  // namespace language_data

// Darkness 0-6 is the energy command, 50 % of it level 3 (languages/cat/Encoder.h).
inline constexpr LanguageRow<CPrinterCat> kCatRow{
    {.modelNumber = 29,
     .name = "cat",
     .title = "Cat printer",
     .rawFormat = "application/vnd.thermal-cat",
     .options = language_data::kCatOptions,
     .deviceNames = language_data::kCatNames,
     .status = &kCatStatus,
     // Asked seventh: the packet starts with the printable "Qx", and cat printers
     // are reached over Bluetooth LE, whose services name them anyway. The only
     // printers asked after them, NIIMBOT's, read packets from 55 55 on.
     .probeOrder = 7,
     .darknessLevels = 7,
     .darknessConfigured = 50}};

#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

// A printer setting of a request outside its range, and why.
struct SettingFault {
    ipp_attribute_t* attr;  // the attribute to report as unsupported
    std::string message;
};

// The printer settings of a Set-Printer-Attributes request that PAPPL
// stores without checking their range: darkness, speed, the tear offset and
// the default medium's offsets, each against what the printer's driver
// takes, named as `options` shows them, lengths told in millimetres.
std::vector<SettingFault> OutOfRangeSettings(pappl_client_t* client);

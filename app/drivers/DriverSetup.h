#pragma once

#include <pappl/pappl.h>

// The PAPPL driver callback: fills the driver data and the vendor attributes
// of a printer from the driver's entry in the catalog.
bool SetUpDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                 const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attributes,
                 void* context);

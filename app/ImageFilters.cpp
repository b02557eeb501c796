#include "app/ImageFilters.h"

#include "app/DriverCatalog.h"

// PAPPL looks for a filter to the driver's own format before its filters to
// raster, so these are the ones that run. PAPPL keeps one filter per pair of
// formats; families that share a format add it once.
void AddImageFilters(pappl_system_t* system) {
    for (const DriverInfo& driver : Drivers()) {
        papplSystemAddMIMEFilter(system, "image/png", driver.family->rawFormat, FilterPng, nullptr);
        papplSystemAddMIMEFilter(system, "image/jpeg", driver.family->rawFormat, FilterJpeg,
                                 nullptr);
    }
}

#include "app/drivers/DriverCatalog.h"

#include <algorithm>
#include <vector>

#include "app/drivers/LanguageDrivers.h"

std::span<const DriverInfo> Drivers() {
    // Each language's drivers, in the order of the language list; made once.
    static const std::vector<DriverInfo> all = [] {
        std::vector<DriverInfo> drivers;
        for (const std::span<const DriverInfo>* list : kLanguageDrivers)
            drivers.insert(drivers.end(), list->begin(), list->end());
        return drivers;
    }();
    return all;
}

const DriverInfo* FindDriver(std::string_view name) {
    const std::span<const DriverInfo> drivers = Drivers();
    auto it = std::ranges::find_if(drivers, [&](const DriverInfo& d) { return name == d.name; });
    return it == drivers.end() ? nullptr : &*it;
}

#include <pappl/pappl.h>

#include <vector>

#include "app/DriverCatalog.h"
#include "app/DriverSetup.h"

int main(int argc, char* argv[]) {
    std::vector<pappl_pr_driver_t> drivers;
    for (const DriverInfo& d : Drivers())
        drivers.push_back({d.name, d.makeAndModel, d.deviceId, nullptr});
    return papplMainloop(argc, argv, "1.0", nullptr, static_cast<int>(drivers.size()),
                         drivers.data(), nullptr, SetUpDriver, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
}

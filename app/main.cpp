#include <pappl/pappl.h>

#include "app/AppSystem.h"
#include "app/AutoAdd.h"
#include "app/DriverCatalog.h"
#include "app/DriverSetup.h"
#include "app/SerialDevice.h"

namespace {
constexpr const char* kFooter = "Thermal label and receipt printers";
}  // namespace

int main(int argc, char* argv[]) {
    RegisterSerialScheme();
    DriverList drivers;
    for (const DriverInfo& d : Drivers())
        drivers.push_back({d.name, d.makeAndModel, d.deviceId, nullptr});
    // PAPPL 1.3.1 looks the footer up as a message without checking for
    // none, and dies on every web page without one.
    return papplMainloop(argc, argv, "1.0", kFooter, static_cast<int>(drivers.size()),
                         drivers.data(), AutoAddDriver, SetUpDriver, nullptr, nullptr,
                         CreateAppSystem, nullptr, &drivers);
}

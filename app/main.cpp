#include <pappl/pappl.h>

#include <cstdio>
#include <string>

#include "app/AppSystem.h"
#include "app/AutoAdd.h"
#include "app/CommandLineChecks.h"
#include "app/DriverCatalog.h"
#include "app/DriverSetup.h"
#include "app/SerialDevice.h"

namespace {
constexpr const char* kFooter = "Thermal label and receipt printers";
}  // namespace

int main(int argc, char* argv[]) {
    if (const std::string error = CommandLineError(argc, argv); !error.empty()) {
        std::fprintf(stderr, "thermal-printer-app: %s\n", error.c_str());
        return 1;
    }
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

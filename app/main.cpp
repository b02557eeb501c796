#include <malloc.h>
#include <pappl/pappl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/AppSystem.h"
#include "app/Usage.h"
#include "app/devices/AutoAdd.h"
#include "app/devices/BleDevice.h"
#include "app/devices/SerialDevice.h"
#include "app/documents/PdfRenderer.h"
#include "app/drivers/DriverCatalog.h"
#include "app/drivers/DriverSetup.h"
#include "app/ipp/CalibrateOperation.h"
#include "app/ipp/CommandLineChecks.h"

namespace {
constexpr const char* kFooter = "Thermal label and receipt printers";
}  // namespace

int main(int argc, char* argv[]) {
    // The server starting its PDF renderer: nothing else of the program runs.
    if (IsPdfRendererCall(argc, argv)) return RunPdfRenderer(argc, argv);
    if (const std::string error = CommandLineError(argc, argv); !error.empty()) {
        std::fprintf(stderr, "thermal-printer-app: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& warning : CommandLineWarnings(argc, argv))
        std::fprintf(stderr, "thermal-printer-app: %s\n", warning.c_str());
    // A job's page buffers (a few MiB) come from the heap and stay there for
    // the next job, instead of fresh zeroed pages from the kernel every time.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    RegisterSerialScheme();
    RegisterBleScheme();
    DriverList drivers;
    for (const DriverInfo& d : Drivers())
        drivers.push_back({d.name, d.makeAndModel, d.deviceId, nullptr});
    // `drivers` and the web page list them in this order.
    std::sort(drivers.begin(), drivers.end(), [](const auto& a, const auto& b) {
        return std::string_view(a.name) < std::string_view(b.name);
    });
    // PAPPL 1.3.1 looks the footer up as a message without checking for
    // none, and dies on every web page without one.
    return papplMainloop(argc, argv, "1.0", kFooter, static_cast<int>(drivers.size()),
                         drivers.data(), AutoAddDriver, SetUpDriver, kCalibrateSubcommand,
                         CalibrateCommand, CreateAppSystem, ShowUsage, &drivers);
}

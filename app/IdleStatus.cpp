#include "app/IdleStatus.h"

#include <chrono>
#include <map>
#include <mutex>

#include "app/DeviceOutput.h"
#include "app/PrinterReasons.h"
#include "app/StatusLink.h"

namespace {
using Clock = std::chrono::steady_clock;

// When each printer (by id) may be asked again after it gave no answer.
std::mutex g_quietMutex;
std::map<int, Clock::time_point> g_quietUntil;

bool Quiet(int id) {
    std::lock_guard<std::mutex> lock(g_quietMutex);
    const auto it = g_quietUntil.find(id);
    return it != g_quietUntil.end() && Clock::now() < it->second;
}

void SetQuiet(int id, bool quiet) {
    std::lock_guard<std::mutex> lock(g_quietMutex);
    if (quiet)
        g_quietUntil[id] = Clock::now() + std::chrono::seconds(kQuietSeconds);
    else
        g_quietUntil.erase(id);
}
}  // namespace

void RefreshIdleStatus(pappl_printer_t* printer) {
    const int id = papplPrinterGetID(printer);
    if (!CStatusLink::ExchangeOf(printer) || Quiet(id)) return;
    pappl_device_t* device = papplPrinterOpenDevice(printer);
    if (!device) {
        SetQuiet(id, true);
        return;
    }
    CDeviceOutput output(nullptr, device);
    CStatusLink link(printer, nullptr, device, output);
    const PrinterConditions conditions = link.Ask();
    papplPrinterCloseDevice(printer);
    SetQuiet(id, !conditions.answered);
    ShowConditions(printer, conditions);
}

#include "app/devices/QuietPrinters.h"

#include <chrono>
#include <map>
#include <mutex>
#include <set>

namespace {
using Clock = std::chrono::steady_clock;

std::mutex g_mutex;
std::map<int, Clock::time_point> g_quietUntil;
std::set<int> g_owing;
}  // namespace

bool IsQuiet(int printerId) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto it = g_quietUntil.find(printerId);
    return it != g_quietUntil.end() && Clock::now() < it->second;
}

void SetQuiet(int printerId, bool quiet) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (quiet)
        g_quietUntil[printerId] = Clock::now() + std::chrono::seconds(kQuietSeconds);
    else
        g_quietUntil.erase(printerId);
}

bool OwesAnswer(int printerId) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_owing.count(printerId) > 0;
}

void SetOwesAnswer(int printerId, bool owes) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (owes)
        g_owing.insert(printerId);
    else
        g_owing.erase(printerId);
}

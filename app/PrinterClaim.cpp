#include "app/PrinterClaim.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace {
struct Claims {
    std::mutex mutex;
    std::condition_variable released;
    std::map<pappl_printer_t*, pappl_job_t*> holders;
};

Claims& TheClaims() {
    static Claims claims;
    return claims;
}
}  // namespace

bool ClaimPrinter(pappl_job_t* job) {
    Claims& claims = TheClaims();
    pappl_printer_t* printer = papplJobGetPrinter(job);
    std::unique_lock<std::mutex> lock(claims.mutex);
    auto holder = claims.holders.find(printer);
    if (holder != claims.holders.end() && holder->second == job) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job was started twice; not printing it again.");
        return false;
    }
    while (claims.holders.count(printer)) {
        if (papplJobIsCanceled(job)) return false;
        claims.released.wait_for(lock, std::chrono::milliseconds(200));
    }
    claims.holders[printer] = job;
    return true;
}

void ReleasePrinter(pappl_job_t* job) {
    Claims& claims = TheClaims();
    std::lock_guard<std::mutex> lock(claims.mutex);
    auto holder = claims.holders.find(papplJobGetPrinter(job));
    if (holder == claims.holders.end() || holder->second != job) return;
    claims.holders.erase(holder);
    claims.released.notify_all();
}

#include "app/devices/PrinterClaim.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace {
struct Claims {
    std::mutex mutex;
    std::condition_variable released;
    std::map<pappl_printer_t*, int> holders;  // the job id that prints
};

Claims& TheClaims() {
    static Claims claims;
    return claims;
}

// A holder that no longer prints (its end never came: an error path of the
// library) gives the printer up.
bool StillPrints(pappl_printer_t* printer, int jobId) {
    pappl_job_t* job = papplPrinterFindJob(printer, jobId);
    return job && papplJobGetState(job) == IPP_JSTATE_PROCESSING;
}
}  // namespace

bool ClaimPrinter(pappl_job_t* job) {
    Claims& claims = TheClaims();
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const int id = papplJobGetID(job);
    std::unique_lock<std::mutex> lock(claims.mutex);
    for (;;) {
        auto holder = claims.holders.find(printer);
        if (holder == claims.holders.end()) break;
        const int holderId = holder->second;
        if (holderId == id) {
            papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job was started twice; it prints once.");
            return false;
        }
        if (papplJobIsCanceled(job)) return false;
        lock.unlock();
        const bool busy = StillPrints(printer, holderId);
        lock.lock();
        if (!busy && claims.holders[printer] == holderId) claims.holders.erase(printer);
        if (busy) claims.released.wait_for(lock, std::chrono::milliseconds(200));
    }
    claims.holders[printer] = id;
    return true;
}

void ReleasePrinter(pappl_job_t* job) {
    Claims& claims = TheClaims();
    std::lock_guard<std::mutex> lock(claims.mutex);
    auto holder = claims.holders.find(papplJobGetPrinter(job));
    if (holder == claims.holders.end() || holder->second != papplJobGetID(job)) return;
    claims.holders.erase(holder);
    claims.released.notify_all();
}

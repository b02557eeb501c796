#include "app/devices/PrinterWait.h"

#include <chrono>
#include <string>
#include <thread>

#include "app/devices/PrinterReasons.h"
#include "app/devices/StatusLink.h"

namespace {
constexpr int kCancelCheckMs = 100;  // how soon a cancel ends the wait

// Sleeps kPollMs unless the job is cancelled first; false when it is.
bool PauseUnlessCancelled(pappl_job_t* job) {
    for (int waited = 0; waited < kPollMs; waited += kCancelCheckMs) {
        if (papplJobIsCanceled(job)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kCancelCheckMs));
    }
    return !papplJobIsCanceled(job);
}

PrinterConditions AskAndShow(pappl_job_t* job, CStatusLink& link) {
    const PrinterConditions conditions = link.Ask();
    ShowConditions(papplJobGetPrinter(job), conditions);
    return conditions;
}
// A low battery does not stop the page; the job says so once, as a warning.
void WarnAboutBattery(pappl_job_t* job, const PrinterConditions& conditions) {
    if (!conditions.answered || !conditions.batteryLow) return;
    const char* message = papplJobGetMessage(job);
    if (message && std::string(message).find("battery") != std::string::npos) return;
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "The printer's battery is low.");
    papplJobSetMessage(job, "The printer's battery is low.");
}
}  // namespace

bool WaitForPrinter(pappl_job_t* job, CStatusLink& link) {
    if (!link.CanAsk()) return true;
    PrinterConditions conditions = AskAndShow(job, link);
    const char* told = papplJobGetMessage(job);
    const std::string before = told ? told : "";  // said again once the wait is over
    std::string shown;
    while (conditions.BlocksPrinting()) {
        const std::string message = conditions.Message();
        if (message != shown) {
            papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Waiting for the printer: %s", message.c_str());
            papplJobSetMessage(job, "Waiting for the printer: %s", message.c_str());
            shown = message;
        }
        if (!PauseUnlessCancelled(job)) {
            papplLogJob(job, PAPPL_LOGLEVEL_INFO, "Cancelled while waiting for the printer.");
            return false;
        }
        conditions = AskAndShow(job, link);
    }
    if (shown.empty()) {
        WarnAboutBattery(job, conditions);
        return true;
    }
    if (conditions.answered)
        papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The printer is ready again: %s",
                    conditions.Message().c_str());
    else
        papplLogJob(job, PAPPL_LOGLEVEL_WARN, "The printer stopped answering; printing goes on.");
    // An empty message leaves the job's state to speak ("Job printing.").
    papplJobSetMessage(job, "%s", before.c_str());
    WarnAboutBattery(job, conditions);
    return true;
}

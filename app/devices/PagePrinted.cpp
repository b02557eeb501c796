#include "app/devices/PagePrinted.h"

#include <chrono>
#include <cstdint>
#include <vector>

#include "app/devices/PrinterReasons.h"
#include "app/devices/StatusLink.h"
#include "app/drivers/JobFailure.h"
#include "printers/StatusExchange.h"

bool WaitForPagePrinted(pappl_job_t* job, CStatusLink& link) {
    const PageProgressExchange* exchange = link.Progress();
    if (!exchange) return true;
    auto decided = [exchange](std::span<const uint8_t> reply) {
        return exchange->read(reply).state != PageProgress::Printing;
    };
    // The answers to the page's own queries come first.
    std::vector<uint8_t> reply;
    link.Gather(reply, kProgressPollMs, decided);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kPagePrintedMs);
    while (!decided(reply) && std::chrono::steady_clock::now() < deadline) {
        if (papplJobIsCanceled(job)) return true;
        if (!link.Send(exchange->query))
            return FailJob(job, PAPPL_JREASON_PRINTER_STOPPED,
                           "The printer could not be asked whether the page printed.");
        link.Gather(reply, kProgressPollMs, decided);
    }
    const PageProgress progress = exchange->read(reply);
    if (progress.state == PageProgress::Printed) {
        papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "The printer says the page printed.");
        // The print ends last; its answer is passed over with the next status.
        if (!progress.ended) link.Send(exchange->finish);
        return true;
    }
    if (progress.state == PageProgress::Failed) {
        ShowConditions(papplJobGetPrinter(job), progress.conditions);
        return FailJob(job, PAPPL_JREASON_PRINTER_STOPPED,
                       "The printer could not print the page: %s",
                       progress.conditions.Message().c_str());
    }
    return FailJob(job, PAPPL_JREASON_PRINTER_STOPPED,
                   "The printer did not say within %d s that the page printed.",
                   kPagePrintedMs / 1000);
}

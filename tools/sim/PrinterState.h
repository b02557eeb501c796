#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "tools/sim/SimOptions.h"

using SimClock = std::chrono::steady_clock;

// What the printer reports: paper and cover, changed by printed pages,
// timers and the user loading paper.
struct tagPrinterStatus {
    bool paperOut = false;
    bool coverOpen = false;
    bool headHot = false;
    bool batteryLow = false;
    // Why the last page was lost (printers that report how a print ended);
    // empty when it printed.
    std::string lastPageLost;
};

class CPrinterState {
public:
    CPrinterState(const tagSimOptions& options, SimClock::time_point start);

    // Logs the state the printer starts in.
    void Start();
    // Runs the timers: the cover closes, the head cools, paper is loaded.
    void Tick(SimClock::time_point now);
    // The user loads paper and closes the cover.
    void LoadPaper();
    // Why a page arriving now is lost; empty when it prints.
    std::string LostBecause() const;
    // Counts a printed page; the paper may run out after it.
    void Printed(SimClock::time_point now);
    // Keeps why a page was lost.
    void Lost(const std::string& why) { m_status.lastPageLost = why; }

    const tagPrinterStatus& Status() const { return m_status; }
    // When a timer next changes the state; max() when none runs.
    SimClock::time_point NextChange() const;

private:
    void RunOutOfPaper(SimClock::time_point now);

    const tagSimOptions& m_options;
    tagPrinterStatus m_status;
    int64_t m_printed = 0;
    SimClock::time_point m_coverCloses, m_headCools, m_paperLoads = SimClock::time_point::max();
};

#include "tools/sim/PrinterState.h"

#include <algorithm>

#include "tools/sim/EventLog.h"

namespace {

SimClock::duration Seconds(double seconds) {
    return std::chrono::duration_cast<SimClock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

CPrinterState::CPrinterState(const tagSimOptions& options, SimClock::time_point start)
    : m_options(options),
      m_coverCloses(start + Seconds(options.coverOpen)),
      m_headCools(start + Seconds(options.headHot)) {
    m_status.coverOpen = options.coverOpen > 0;
    if (!m_status.coverOpen) m_coverCloses = SimClock::time_point::max();
    m_status.headHot = options.headHot > 0;
    if (!m_status.headHot) m_headCools = SimClock::time_point::max();
    m_status.batteryLow = options.batteryLow;
}

void CPrinterState::Start() {
    if (m_status.coverOpen) LogEvent("cover open");
    if (m_status.headHot) LogEvent("head too hot");
    if (m_status.batteryLow) LogEvent("battery low");
    if (m_options.paperOutAfter == 0) RunOutOfPaper(SimClock::now());
}

void CPrinterState::RunOutOfPaper(SimClock::time_point now) {
    m_status.paperOut = true;
    if (m_options.paperOutFor >= 0) m_paperLoads = now + Seconds(m_options.paperOutFor);
    LogEvent("paper out");
}

void CPrinterState::Tick(SimClock::time_point now) {
    if (m_status.coverOpen && now >= m_coverCloses) {
        m_status.coverOpen = false;
        m_coverCloses = SimClock::time_point::max();
        LogEvent("cover closed");
    }
    if (m_status.headHot && now >= m_headCools) {
        m_status.headHot = false;
        m_headCools = SimClock::time_point::max();
        LogEvent("head cooled down");
    }
    if (m_status.paperOut && now >= m_paperLoads) {
        m_status.paperOut = false;
        m_paperLoads = SimClock::time_point::max();
        LogEvent("paper loaded");
    }
}

void CPrinterState::LoadPaper() {
    m_status.paperOut = false;
    m_paperLoads = SimClock::time_point::max();
    LogEvent("paper loaded");
    if (m_status.coverOpen) {
        m_status.coverOpen = false;
        m_coverCloses = SimClock::time_point::max();
        LogEvent("cover closed");
    }
    if (m_status.headHot) {
        m_status.headHot = false;
        m_headCools = SimClock::time_point::max();
        LogEvent("head cooled down");
    }
}

std::string CPrinterState::LostBecause() const {
    if (m_status.coverOpen) return "cover open";
    if (m_status.paperOut) return "paper out";
    if (m_status.headHot) return "head too hot";
    return std::string();
}

// The paper runs out once, when the page that used its last label printed.
void CPrinterState::Printed(SimClock::time_point now) {
    m_status.lastPageLost.clear();
    if (++m_printed == m_options.paperOutAfter) RunOutOfPaper(now);
}

SimClock::time_point CPrinterState::NextChange() const {
    return std::min({m_coverCloses, m_headCools, m_paperLoads});
}

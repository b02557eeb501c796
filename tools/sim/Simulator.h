#pragma once

#include <csignal>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/sim/JobStream.h"
#include "tools/sim/Link.h"
#include "tools/sim/PageOutput.h"
#include "tools/sim/PrinterState.h"
#include "tools/sim/StatusQueries.h"

// The printer's event loop: takes connections (or the pseudo-terminal's
// bytes), reads them at the link's speed, answers queries, runs timers, and
// reacts to the signals main() turns into flags.
class CSimulator {
public:
    explicit CSimulator(const tagSimOptions& options);
    // Opens the link and the output folder and runs until asked to stop.
    // The exit status: 0 after a stop, 1 when the start failed.
    int Run(volatile const sig_atomic_t& stop, volatile sig_atomic_t& loadPaper);

private:
    struct tagConnection {
        int fd = -1;
        std::unique_ptr<CJobStream> stream;
        SimClock::time_point lastData, nextRead;
        // Replies held back by --answer-delay, with when they go out.
        std::vector<std::pair<SimClock::time_point, std::string>> late;
    };

    void AddConnection(int fd);
    void PollOnce();
    int Timeout(SimClock::time_point now) const;
    bool ReadFrom(tagConnection& c, SimClock::time_point now);
    void Close(size_t index);
    void CheckIdle(SimClock::time_point now);
    void Reply(tagConnection& c, std::string replies, SimClock::time_point now);
    void SendLate(SimClock::time_point now);
    bool Stalled() const;
    std::string Answer(const tagQuery& query);

    const tagSimOptions& m_options;
    CPrinterState m_state;
    CPageOutput m_output;
    CQueryRecogniser m_queries;
    CLink m_link;
    std::vector<tagConnection> m_connections;
    std::vector<uint8_t> m_buffer;
    int64_t m_received = 0;  // bytes read on every link, for --stall-after
};

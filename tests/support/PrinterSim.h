#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// build/thermal-printer-sim on a free port of the loopback, its pages and
// events in a fresh folder; stopped by its PID.
class PrinterSim {
public:
    explicit PrinterSim(const std::vector<std::string>& options);
    ~PrinterSim();
    PrinterSim(const PrinterSim&) = delete;
    PrinterSim& operator=(const PrinterSim&) = delete;

    static bool Built();
    // "socket://127.0.0.1:PORT" once the simulator listens, "" if it doesn't.
    std::string Uri() const;
    std::string Events() const;
    // Pages printed so far.
    int Pages() const;

private:
    std::string m_dir;
    std::string m_log;
    pid_t m_pid = -1;
};

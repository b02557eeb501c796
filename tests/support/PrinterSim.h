#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Waits (bounded) until `done` says true, checking every 50 ms; its last
// answer.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// build/thermal-printer-sim on a free port of 127.0.0.1 (or, `serial`, on
// a pseudo-terminal), its events in a file and its output in a fresh
// folder; stopped by PID.
class PrinterSim {
public:
    explicit PrinterSim(const std::vector<std::string>& options, bool serial = false);
    ~PrinterSim();
    PrinterSim(const PrinterSim&) = delete;
    PrinterSim& operator=(const PrinterSim&) = delete;

    // Whether build/thermal-printer-sim exists.
    static bool Built();
    // "socket://127.0.0.1:PORT" once the simulator listens (on a terminal
    // "serial:/dev/pts/N?baud=115200"), "" if it doesn't.
    std::string Uri() const;
    std::string Events() const;
    // Pages printed so far (each a PNG in its output folder).
    int Pages() const;
    // Bytes received so far.
    size_t StreamBytes() const;
    void LoadPaper() const;
    // SIGSTOP / SIGCONT: a printer that hangs, with its connections open.
    void Freeze() const;
    void Thaw() const;

private:
    std::string m_dir;
    std::string m_log;
    std::string m_pty;  // the terminal's link; empty on the network
    pid_t m_pid = -1;
};

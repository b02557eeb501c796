#pragma once

#include <string>

#include "tools/sim/SimOptions.h"

// How the printer is reached: a TCP listener on 127.0.0.1, as a network
// printer, or a pseudo-terminal, as a serial or Bluetooth printer.
class CLink {
public:
    CLink() = default;
    ~CLink();
    CLink(const CLink&) = delete;
    CLink& operator=(const CLink&) = delete;

    // Opens the listener or the pseudo-terminal; the error, or empty.
    std::string Open(const tagSimOptions& options);
    // "127.0.0.1:PORT" or "/dev/pts/N".
    const std::string& Where() const { return m_where; }
    // The listening socket, or -1 on a pseudo-terminal.
    int Listener() const { return m_listener; }
    // The pseudo-terminal's master side, or -1 on TCP. It never closes: the
    // simulator holds the slave side open too.
    int Terminal() const { return m_master; }
    // A new connection (non-blocking), or -1.
    int Accept() const;

private:
    std::string OpenListener(int port);
    std::string OpenTerminal(const std::string& link);

    int m_listener = -1;
    int m_master = -1;
    int m_slave = -1;
    std::string m_link;
    std::string m_where;
};

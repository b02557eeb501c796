#pragma once

#include <string>

struct Language;

// Asks a printer which language it speaks: the status queries of
// printers/LanguageProbes.h in their order, each answered within a short
// wait, all of them within kProbeTotalMs. Nothing else is sent.

inline constexpr int kProbeConnectMs = 2000;  // a network connection
inline constexpr int kProbeNetworkMs = 500;   // an answer over the network
inline constexpr int kProbeSerialMs = 1000;   // an answer over a serial line
inline constexpr int kProbeTotalMs = 12000;   // no query is begun after this

struct ProbeResult {
    const Language* language = nullptr;  // null: none answered
    std::string detail;                  // when none did: why, as a phrase for the log
};

// The printer at a network address: a fresh connection for every query, so
// that an answer that comes too late is never taken for the next one's.
ProbeResult ProbeNetworkPrinter(const std::string& host, int port);

// The printer behind a device URI PAPPL opens (a serial port): one link for
// all the queries, read empty before each one.
ProbeResult ProbeDevicePrinter(const std::string& deviceUri);

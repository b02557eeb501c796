// The CUPS backend "ble": prints to Bluetooth LE printers through BlueZ, on
// the same transport as the printer application.
//   ble                    lists the printers a short scan sees (lpinfo -v)
//   ble job user title copies options [file]
//                          sends the job's bytes (the file, or standard
//                          input) to DEVICE_URI, ble://AA-BB-CC-DD-EE-FF
// Exit codes as CUPS expects: 0 printed (or stopped by SIGTERM, which CUPS
// sends when the job is cancelled; the link's waits look for it at least
// every 100 ms), 1 the printer dropped the link or
// refused data mid-job (the queue's error policy decides), 4 a device URI
// that is not a Bluetooth LE address, 6 the printer can't be reached now
// (CUPS retries the job later).

#include <cups/backend.h>
#include <cups/cups.h>
#include <cups/sidechannel.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ble/BleLink.h"
#include "ble/BleScan.h"

namespace {
volatile std::sig_atomic_t g_cancelled = 0;

void OnTerm(int) {
    g_cancelled = 1;
}

int List() {
    std::string error;
    for (const BlePrinterSeen& p : ScanBlePrinters(error))
        std::printf("direct %s \"%s\" \"%s\" \"%s\"\n", p.uri.c_str(), p.name.c_str(),
                    p.info.c_str(), p.deviceId.c_str());
    if (!error.empty()) std::fprintf(stderr, "DEBUG: Bluetooth LE printers: %s.\n", error.c_str());
    return CUPS_BACKEND_OK;
}

// What the printer said goes back to the filters, as other backends do.
void PassAnswers(CBleLink& link) {
    char answer[256];
    ssize_t n = 0;
    while ((n = link.Read(answer, sizeof answer, 0)) > 0)
        cupsBackChannelWrite(answer, static_cast<size_t>(n), 0.0);
}

// SIGTERM is blocked outside WaitForInput: one that came stays pending.
bool Cancelled() {
    sigset_t pending;
    if (!g_cancelled && sigpending(&pending) == 0 && sigismember(&pending, SIGTERM))
        g_cancelled = 1;
    return g_cancelled;
}

int JobStopped() {
    std::fputs("INFO: Job stopped.\n", stderr);
    return CUPS_BACKEND_OK;
}

// Waits for input with SIGTERM let through only while waiting, so that a
// cancel never goes unseen behind a blocking read. False once cancelled.
// A SIGTERM that came while input was ready too stays pending.
bool WaitForInput(int fd, const sigset_t& waitMask) {
    pollfd p{fd, POLLIN, 0};
    while (!g_cancelled && ppoll(&p, 1, nullptr, &waitMask) < 0 && errno == EINTR) {
    }
    return !Cancelled();
}

int Copy(int fd, CBleLink& link, const sigset_t& waitMask) {
    char buffer[8192];
    for (;;) {
        if (!WaitForInput(fd, waitMask)) return JobStopped();
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            std::perror("ERROR: Unable to read print data");
            return CUPS_BACKEND_FAILED;
        }
        if (!link.Write(buffer, static_cast<size_t>(n))) {
            if (link.Stopped()) return JobStopped();
            std::fprintf(stderr, "ERROR: %s\n", link.Problem().c_str());
            return CUPS_BACKEND_FAILED;
        }
        PassAnswers(link);
    }
    if (!link.Finish()) {
        if (link.Stopped()) return JobStopped();
        std::fprintf(stderr, "ERROR: %s\n", link.Problem().c_str());
        return CUPS_BACKEND_FAILED;
    }
    return CUPS_BACKEND_OK;
}

int Print(const char* uri, const char* file, const sigset_t& waitMask) {
    const std::string address = BleAddressOf(uri ? uri : "");
    if (address.empty()) {
        std::fprintf(stderr,
                     "ERROR: \"%s\" is not a Bluetooth LE printer (ble://AA-BB-CC-DD-EE-FF).\n",
                     uri ? uri : "");
        return CUPS_BACKEND_STOP;
    }
    const int fd = file ? open(file, O_RDONLY) : 0;
    if (fd < 0) {
        std::perror("ERROR: Unable to open print file");
        return CUPS_BACKEND_FAILED;
    }
    std::fprintf(stderr, "STATE: +connecting-to-device\n");
    std::string error;
    std::unique_ptr<CBleLink> link = CBleLink::Open(address, error, Cancelled);
    std::fprintf(stderr, "STATE: -connecting-to-device\n");
    if (!link && Cancelled()) {
        if (fd) close(fd);
        return JobStopped();
    }
    if (!link) {
        std::fprintf(stderr, "ERROR: %s\n", error.c_str());
        if (fd) close(fd);
        return CUPS_BACKEND_RETRY;
    }
    const int status = Copy(fd, *link, waitMask);
    if (fd) close(fd);
    return status;
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 1) return List();
    if (argc < 6 || argc > 7) {
        std::fputs("Usage: ble job-id user title copies options [file]\n", stderr);
        return CUPS_BACKEND_FAILED;
    }
    struct sigaction action {};
    action.sa_handler = OnTerm;
    sigaction(SIGTERM, &action, nullptr);
    sigset_t term, waitMask;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    const char* uri = std::getenv("DEVICE_URI");
    return Print(uri ? uri : argv[0], argc == 7 ? argv[6] : nullptr, waitMask);
}

// thermal-printer-sim: a thermal printer on 127.0.0.1 or on a pseudo-
// terminal. It prints what it receives as PNG pages, answers status queries
// and runs out of paper or opens its cover when told to.

#include <signal.h>

#include <csignal>

#include "tools/sim/SimOptions.h"
#include "tools/sim/Simulator.h"

namespace {

volatile sig_atomic_t g_stop = 0;
volatile sig_atomic_t g_loadPaper = 0;

void OnStop(int) {
    g_stop = 1;
}

void OnLoadPaper(int) {
    g_loadPaper = 1;
}

// The signals are blocked except while the loop waits in ppoll, so none is
// missed between checking the flags and waiting.
void CatchSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnLoadPaper;
    sigaction(SIGUSR1, &action, nullptr);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int s : {SIGTERM, SIGINT, SIGUSR1}) sigaddset(&blocked, s);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    tagSimOptions options;
    const int status = ParseSimOptions(argc, argv, options);
    if (status != 0) return status < 0 ? 0 : status;
    CatchSignals();
    CSimulator simulator(options);
    return simulator.Run(g_stop, g_loadPaper);
}

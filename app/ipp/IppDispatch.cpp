#include "app/ipp/IppDispatch.h"

#include <dlfcn.h>

#include <atomic>

// Stock PAPPL 1.3.1 calls the operation callback only for operations it has
// no handler of its own for; the PAPPL we build calls it first for every
// request. With the system's shared library, the application defines PAPPL's
// three exported IPP dispatchers (printer, job and system requests) too: the
// dynamic linker binds PAPPL's calls to these, which run the check first and
// then hand the request to PAPPL's own.
#ifdef THERMAL_SYSTEM_PAPPL
namespace {
std::atomic<pappl_ipp_op_cb_t> g_check{nullptr};
std::atomic<void*> g_data{nullptr};

using Dispatcher = void (*)(pappl_client_t*);

bool Refused(pappl_client_t* client) {
    const pappl_ipp_op_cb_t check = g_check.load();
    return check && check(client, g_data.load());
}

Dispatcher Next(const char* name) {
    return reinterpret_cast<Dispatcher>(dlsym(RTLD_NEXT, name));
}

void Dispatch(Dispatcher next, pappl_client_t* client) {
    if (!Refused(client) && next) next(client);
}
}  // namespace

extern "C" {
__attribute__((weak)) void _papplPrinterProcessIPP(pappl_client_t* client) {
    static const Dispatcher next = Next("_papplPrinterProcessIPP");
    Dispatch(next, client);
}
__attribute__((weak)) void _papplJobProcessIPP(pappl_client_t* client) {
    static const Dispatcher next = Next("_papplJobProcessIPP");
    Dispatch(next, client);
}
__attribute__((weak)) void _papplSystemProcessIPP(pappl_client_t* client) {
    static const Dispatcher next = Next("_papplSystemProcessIPP");
    Dispatch(next, client);
}
}

#endif

void InstallOperationCheck(pappl_system_t* system, pappl_ipp_op_cb_t check, void* data) {
#ifdef THERMAL_SYSTEM_PAPPL
    g_data = data;
    g_check = check;
#endif
    papplSystemSetOperationCallback(system, check, data);
}

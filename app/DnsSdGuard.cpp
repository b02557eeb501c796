// PAPPL 1.3.1 browses and resolves DNS-SD services with the Avahi client it
// made at start-up, without checking that it has one: with no Avahi daemon
// (or no system bus) that client is null, and Avahi's assertion on it ends
// the whole process on the web page "Add Printer", on Find-Devices and in
// the `devices` subcommand. These definitions stand in front of Avahi's (the
// executable's symbols come first for libpappl too): without a client they
// fail the way Avahi fails for a client that lost its daemon, which PAPPL
// handles, and otherwise they pass the call on.
//
// They live in the executable itself, not in a library, so that the linker
// exports them to libpappl.

#include <avahi-client/lookup.h>
#include <dlfcn.h>

namespace {
template <class F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" {
AvahiServiceBrowser* avahi_service_browser_new(AvahiClient* client, AvahiIfIndex interface,
                                               AvahiProtocol protocol, const char* type,
                                               const char* domain, AvahiLookupFlags flags,
                                               AvahiServiceBrowserCallback callback,
                                               void* userdata) {
    using Fn = decltype(&avahi_service_browser_new);
    static const Fn next = Next<Fn>("avahi_service_browser_new");
    if (!client || !next) return nullptr;
    return next(client, interface, protocol, type, domain, flags, callback, userdata);
}

AvahiServiceResolver* avahi_service_resolver_new(AvahiClient* client, AvahiIfIndex interface,
                                                 AvahiProtocol protocol, const char* name,
                                                 const char* type, const char* domain,
                                                 AvahiProtocol aprotocol, AvahiLookupFlags flags,
                                                 AvahiServiceResolverCallback callback,
                                                 void* userdata) {
    using Fn = decltype(&avahi_service_resolver_new);
    static const Fn next = Next<Fn>("avahi_service_resolver_new");
    if (!client || !next) return nullptr;
    return next(client, interface, protocol, name, type, domain, aprotocol, flags, callback,
                userdata);
}
}

#include "app/PortCheck.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
// Binds a socket to the address as a listener does; the errno, or 0.
int TryBind(const addrinfo& a) {
    const int fd = socket(a.ai_family, a.ai_socktype, a.ai_protocol);
    if (fd < 0) return 0;  // no such protocol here: nothing to hold the port
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (a.ai_family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    const int error = bind(fd, a.ai_addr, a.ai_addrlen) == 0 ? 0 : errno;
    close(fd);
    return error;
}
}  // namespace

std::string PortInUse(const char* host, int port) {
    if (port <= 0) return "";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host, service.c_str(), &hints, &list) != 0) return "";
    std::string why;
    for (const addrinfo* a = list; a && why.empty(); a = a->ai_next) {
        if (TryBind(*a) != EADDRINUSE) continue;
        char name[NI_MAXHOST] = "";
        getnameinfo(a->ai_addr, a->ai_addrlen, name, sizeof name, nullptr, 0, NI_NUMERICHOST);
        why = "Port " + service + " is in use on " + name +
              " (another server runs there): stop it, or choose another port with -o "
              "server-port=N.";
    }
    freeaddrinfo(list);
    return why;
}

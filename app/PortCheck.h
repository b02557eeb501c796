#pragma once

#include <string>

// Why the server could not listen on the port: an address of the host
// (every address when null) whose port another program holds, as one
// sentence; empty when each address is free. PAPPL listens on IPv4 and
// IPv6 apart and goes on when one of them fails, leaving a server that half
// its clients cannot reach, so the port is tried first on every address.
std::string PortInUse(const char* host, int port);

#pragma once

#include <pappl/pappl.h>

// Who may do what. Changing a printer (enable, disable, pause, resume,
// holding new jobs, cancelling all its jobs) needs the administrator: the
// control socket's user, or the web password once it is set. Cancelling,
// holding, releasing or closing a job needs its owner or the administrator.
// Returns true when the request was refused (and answered).
bool RefuseWithoutAuthority(pappl_client_t* client);

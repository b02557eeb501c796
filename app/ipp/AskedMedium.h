#pragma once

#include <pappl/pappl.h>

// A job (Print-Job, Create-Job) for another medium than the loaded one is
// told so when it is submitted: the medium is substituted, so the answer is
// successful-ok-ignored-or-substituted-attributes with the loaded medium in
// its status message, which `submit` prints; the job's own message later
// says how each page printed.
void TellAskedMedium(pappl_client_t* client);

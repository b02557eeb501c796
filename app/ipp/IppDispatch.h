#pragma once

#include <pappl/pappl.h>

// Sets the system's IPP operation callback and makes PAPPL ask it before
// every request it handles itself, not only the operations it lacks: the
// callback answers (and returns true) for a request it refuses.
void InstallOperationCheck(pappl_system_t* system, pappl_ipp_op_cb_t check, void* data);

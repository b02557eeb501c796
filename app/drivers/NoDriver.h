#pragma once

#include <pappl/pappl.h>

#include <string>

// A printer of the saved state whose driver is "auto" (a state an older
// release saved) and whose language cannot be told now: it is kept, with
// driver data that prints nothing, and marked until it is added again with
// a driver. It accepts no jobs and is stopped, so that the jobs it holds
// wait instead of failing; printer-state-message says why.

// The sentence shown for it.
std::string NoDriverMessage(const char* deviceUri);

// Fills the driver data of such a printer.
void SetUpNoDriver(pappl_pr_driver_data_t& data);

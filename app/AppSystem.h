#pragma once

#include <pappl/pappl.h>

#include <vector>

// The printer application's system: the server options of the command line,
// the drivers, the state file and the application's own checks. Called by
// papplMainloop for the `server` subcommand with the driver list as its
// data; null, with the reason on standard error, when the server cannot run.
pappl_system_t* CreateAppSystem(int numOptions, cups_option_t* options, void* drivers);

using DriverList = std::vector<pappl_pr_driver_t>;

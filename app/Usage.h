#pragma once

// `thermal-printer-app --help`: PAPPL's subcommands and options with this
// application's own (calibrate, the device schemes it takes).
void ShowUsage(void* data);

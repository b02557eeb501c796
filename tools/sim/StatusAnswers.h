#pragma once

#include <string>

#include "tools/sim/PrinterState.h"
#include "tools/sim/StatusQueries.h"

// The bytes a printer sends back for a status query in the given state;
// `shown` gets the answer as written in the event log.
std::string StatusReply(const tagQuery& query, const tagPrinterStatus& status, std::string& shown);

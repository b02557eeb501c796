#pragma once

#include <string>
#include <vector>

#include "tools/sim/StatusAnswers.h"

// ESC/POS real-time status (DLE EOT 1-4) as a printer answers it; PeriPage
// printers answer the same.
std::vector<tagQuery> DleEotQueries();
std::string DleEotReply(const tagQuery& query, const tagPrinterStatus& status, std::string& shown);

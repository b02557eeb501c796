#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/PrinterState.h"
#include "tools/sim/StatusQueries.h"

// How a printer of one language answers status queries: the queries it takes
// from the bytes it receives and its reply to each. Each language that has
// them defines its answers in languages/<name>/SimAnswers.cpp.
struct tagStatusAnswers {
    PreviewLanguage language;
    std::vector<tagQuery> (*queries)();
    // The bytes sent back for a query in the given state; `shown` gets the
    // answer as written in the event log.
    std::string (*reply)(const tagQuery& query, const tagPrinterStatus& status, std::string& shown);
    // The printer takes its queries wherever they come, not only where a
    // command may start.
    bool anywhere = false;
};

// The answers of a language; null when its printers answer no queries.
const tagStatusAnswers* StatusAnswersOf(PreviewLanguage language);

// The bytes a printer of the language sends back for a status query in the
// given state; `shown` gets the answer as written in the event log.
std::string StatusReply(PreviewLanguage language, const tagQuery& query,
                        const tagPrinterStatus& status, std::string& shown);

// A byte as the event log shows it: "0x12".
std::string HexByte(uint8_t value);
// A reply of one byte, shown as HexByte.
std::string ByteReply(uint8_t value, std::string& shown);

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "printers/PrinterConditions.h"

// Where a page stands that a printer reports on as it prints.
struct PageProgress {
    enum State { Printing, Printed, Failed } state = Printing;
    // The printer took the page's end already; else `finish` goes out.
    bool ended = false;
    PrinterConditions conditions;  // why it failed, when the printer said
};

// How a printer that tells when a page has printed is asked about it after
// the page's bytes: `query` again every little while, until `read` finds,
// in all the bytes the printer sent since the page, that it printed or
// failed; `finish` then ends the page unless the printer ended it already.
struct PageProgressExchange {
    std::string_view query;
    std::string_view finish;
    PageProgress (*read)(std::span<const uint8_t> reply);
};

// How a printer whose print sequence depends on its model is asked which
// model it is: the query, when the answer is whole, and the model it names,
// written as the drivers' model lists write it ("NIIMBOT B21"), or empty.
struct ModelExchange {
    std::string_view query;
    bool (*complete)(std::span<const uint8_t> reply);
    std::string (*model)(std::span<const uint8_t> reply);
};

// How one printer language is asked for its status: the query bytes, when
// the reply is complete, and what it means. Sent only where a command may
// start, never inside a raster command's data.
struct StatusExchange {
    const char* language;
    std::string_view query;
    // True once `reply` holds a whole answer (more bytes are not waited for).
    bool (*complete)(std::span<const uint8_t> reply);
    // The conditions of a complete reply; `answered` is false when the reply
    // is malformed or short.
    PrinterConditions (*parse)(std::span<const uint8_t> reply);
    // For languages whose pages carry the query themselves (the printer
    // answers those too): the number of whole answers in `reply`; parse then
    // reads the last one. Null for the others.
    size_t (*answers)(std::span<const uint8_t> reply) = nullptr;
    // For printers that say when a page has printed; null for the others.
    const PageProgressExchange* progress = nullptr;
    // For printers asked for their model before a job; null for the others.
    const ModelExchange* model = nullptr;
};

// Each language that has one defines its exchange in languages/<name>/Status.cpp
// and its row points at it.

// The exchange of a printer language by its model number, or null for the
// languages that have no status query (CPCL, Paperang, EPL2).
const StatusExchange* StatusExchangeFor(int modelNumber);

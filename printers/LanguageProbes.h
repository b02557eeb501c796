#pragma once

#include <cstdint>
#include <span>

#include "printers/Languages.h"

// Which language a printer on a two-way link speaks, learnt by asking: each
// language's status query in turn, until one is answered as that language
// answers it. A status query prints nothing on a printer of its language;
// the order (each row's probeOrder, with why) keeps the bytes of the queries
// asked before it from printing on the others. Languages without a status
// query (CPCL, EPL2, Paperang) are never recognised this way, and a
// PeriPage printer answers the ESC/POS query: it is taken for an ESC/POS
// printer.

// The languages asked, in the order they are asked (a row with a place but
// no status query is never asked).
std::span<const Language* const> ProbedLanguages();

// True when `reply` holds a whole answer to the language's status query.
bool ProbeReplyComplete(const Language& language, std::span<const uint8_t> reply);
// True when that answer is well formed: the printer speaks the language.
bool ProbeAnswered(const Language& language, std::span<const uint8_t> reply);

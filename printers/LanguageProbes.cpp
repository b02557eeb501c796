#include "printers/LanguageProbes.h"

#include <array>

#include "printers/StatusExchange.h"

namespace {
// The order. A query reaches only printers that answered none before it, so
// each one must be harmless to the languages still left, and above all
// print nothing on them.
//
// 1. ESC/POS, DLE EOT 1-4: control bytes only. TSPL, ZPL, EPL2 and CPCL
//    print no control bytes, and no other language here has a command that
//    starts with DLE (Brother QL and DYMO commands start with ESC, SYN or
//    ETB; cat and Paperang packets with their own start bytes, and they
//    skip other bytes). Receipt printers come first because the later
//    queries would hurt them: ESC i is a cut there, and printable text
//    (~HS, the cat packet's "Qx") is printed. PeriPage printers answer too.
// 2. TSPL, ESC ! ?: an immediate command of TSPL, answered even between a
//    job's lines; an escape sequence that no text language prints. It comes
//    before ~HS, which a TSPL printer would take as the start of a line.
// 3. Brother QL, ESC i S: on a DYMO, ESC i selects the resolution (every job
//    sets it again) and S is no command; before DYMO's ESC A, which is no
//    Brother QL command.
// 4. DYMO, ESC A.
// 5. ZPL, ~HS: printable, so asked only once the languages that print text
//    (ESC/POS) or read it as a command line (TSPL) are ruled out. A ZPL
//    printer ignores everything outside its label formats but tilde
//    commands, so the queries before this one cost it nothing.
// 6. Cat printers, the A3 packet: it starts with the printable "Qx"; these
//    printers are reached over Bluetooth LE, whose services already name
//    them, and seldom any other way.
// The row of a model number that has a status query; no build without one.
constexpr const Language* Probed(int modelNumber) {
    const Language* language = LanguageOfModel(modelNumber);
    if (!language || !language->status) throw "a probed language needs a status query";
    return language;
}

constexpr std::array<const Language*, 6> kOrder = {
    Probed(21), Probed(20), Probed(27), Probed(28), Probed(25), Probed(29),
};
}  // namespace

std::span<const Language* const> ProbedLanguages() {
    return kOrder;
}

bool ProbeReplyComplete(const Language& language, std::span<const uint8_t> reply) {
    return language.status && language.status->complete(reply);
}

bool ProbeAnswered(const Language& language, std::span<const uint8_t> reply) {
    return ProbeReplyComplete(language, reply) && language.status->parse(reply).answered;
}

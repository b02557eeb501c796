#include "printers/LanguageProbes.h"

#include <algorithm>
#include <array>

#include "printers/StatusExchange.h"

namespace {
// A query reaches only printers that answered none before it, so each one
// must be harmless to the languages still left, and above all print nothing
// on them. The rows' probeOrder fields hold the order, each with why it
// stands there: receipt printers first (their query is control bytes only,
// and they would print the printable queries), then the escape sequences,
// then the printable ones.
constexpr size_t Probed() {
    return std::count_if(kLanguages.begin(), kLanguages.end(),
                         [](const Language& l) { return l.probeOrder > 0; });
}

constexpr std::array<const Language*, Probed()> Order() {
    std::array<const Language*, Probed()> order{};
    for (const Language& l : kLanguages) {
        if (l.probeOrder <= 0) continue;
        if (static_cast<size_t>(l.probeOrder) > order.size() || order[l.probeOrder - 1])
            throw "each probed language needs a place of its own";
        order[l.probeOrder - 1] = &l;
    }
    return order;
}

constexpr auto kOrder = Order();
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

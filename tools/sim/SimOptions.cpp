#include "tools/sim/SimOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string SimUsage() {
    return "usage: thermal-printer-sim --language " + DecodableLanguageNames() +
           "\n"
           "                           (--port N | --pty LINK) --out DIR\n"
           "                           [--paper-out-after N] [--paper-out-for SECONDS]\n"
           "                           [--cover-open SECONDS] [--bytes-per-second N]\n"
           "                           [--answer-delay SECONDS] [--no-status]\n"
           "                           [--head-hot SECONDS] [--battery-low] [--stall-after BYTES]\n"
           "Acts as a printer on 127.0.0.1:N (0 picks a free port) or on a pseudo-terminal\n"
           "that LINK points to, writes each printed page to DIR/page-NNNN.png and every byte\n"
           "received to DIR/stream.bin, and answers status queries (--answer-delay seconds\n"
           "after each). --stall-after stops reading for good after BYTES, as a printer that\n"
           "hangs. SIGUSR1 loads paper, closes the cover and lets the head cool; SIGTERM or SIGINT stops it.\n"
           "A cat printer also reports its head too hot for the first SECONDS and a low\n"
           "battery.\n";
}

namespace {

constexpr double kMaxSeconds = 86400.0 * 365;

bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t& value) {
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (!*text || *end || errno == ERANGE || v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseSeconds(const char* text, double& value) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (!*text || *end || !std::isfinite(v) || v < 0 || v > kMaxSeconds) return false;
    value = v;
    return true;
}

// One option with its value; false when the value is bad.
bool ParseValue(const std::string& name, const char* value, tagSimOptions& o) {
    int64_t n = 0;
    if (name == "--language") {
        o.language = ParseLanguage(value);
        return o.language != PreviewLanguage::Unknown;
    }
    if (name == "--port") {
        if (!ParseInteger(value, 0, 65535, n)) return false;
        o.port = static_cast<int>(n);
        return true;
    }
    if (name == "--pty" || name == "--out") {
        (name == "--pty" ? o.ptyLink : o.outDir) = value;
        return *value != '\0';
    }
    if (name == "--paper-out-after") return ParseInteger(value, 0, INT64_MAX, o.paperOutAfter);
    if (name == "--paper-out-for") return ParseSeconds(value, o.paperOutFor);
    if (name == "--cover-open") return ParseSeconds(value, o.coverOpen);
    if (name == "--answer-delay") return ParseSeconds(value, o.answerDelay);
    if (name == "--head-hot") return ParseSeconds(value, o.headHot);
    if (name == "--bytes-per-second")
        return ParseInteger(value, 1, int64_t{1} << 40, o.bytesPerSecond);
    if (name == "--stall-after") return ParseInteger(value, 0, INT64_MAX, o.stallAfter);
    return false;
}

bool TakesValue(const std::string& name) {
    for (const char* known :
         {"--language", "--port", "--pty", "--out", "--paper-out-after", "--paper-out-for",
          "--cover-open", "--head-hot", "--bytes-per-second", "--answer-delay", "--stall-after"})
        if (name == known) return true;
    return false;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "thermal-printer-sim: %s\n%s", problem.c_str(), SimUsage().c_str());
    return 2;
}

// What is missing or contradictory once every argument was read.
std::string Incomplete(const tagSimOptions& o) {
    if (o.language == PreviewLanguage::Unknown) return "--language is required";
    if ((o.port >= 0) == !o.ptyLink.empty()) return "give exactly one of --port and --pty";
    if (o.outDir.empty()) return "--out is required";
    return std::string();
}

}  // namespace

int ParseSimOptions(int argc, char** argv, tagSimOptions& options) {
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(SimUsage().c_str(), stdout);
            return -1;
        }
        if (a == "--no-status" || a == "--battery-low") {
            (a == "--no-status" ? options.noStatus : options.batteryLow) = true;
        } else if (!TakesValue(a)) {
            return Usage("unknown argument \"" + a + "\"");
        } else if (i + 1 >= argc) {
            return Usage(a + " needs a value");
        } else if (!ParseValue(a, argv[i + 1], options)) {
            return Usage("bad value \"" + std::string(argv[i + 1]) + "\" for " + a);
        } else {
            i++;
        }
    }
    const std::string problem = Incomplete(options);
    return problem.empty() ? 0 : Usage(problem);
}

#include "app/ipp/SpoolLimits.h"

#include <charconv>
#include <cstdio>

namespace {
constexpr int64_t kLargest = int64_t{1} << 50;  // a PiB: more is a typo

bool Read(const char* name, const char* value, int64_t& size) {
    if (!value) return true;
    const std::optional<int64_t> parsed = ParseSize(value);
    if (!parsed) {
        std::fprintf(stderr,
                     "thermal-printer-app: Bad '%s' value \"%s\" (bytes, or a whole number "
                     "with K, M or G; 0 for no limit).\n",
                     name, value);
        return false;
    }
    size = *parsed;
    return true;
}
}  // namespace

std::optional<int64_t> ParseSize(std::string_view text) {
    int shift = 0;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K':
                shift = 10;
                break;
            case 'M':
                shift = 20;
                break;
            case 'G':
                shift = 30;
                break;
            default:
                break;
        }
    }
    if (shift) text.remove_suffix(1);
    int64_t n = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, n);
    if (text.empty() || error != std::errc() || stop != end || n < 0 || n > (kLargest >> shift))
        return std::nullopt;
    return n << shift;
}

bool ApplySpoolLimits(pappl_system_t* system, const char* jobSize, const char* spoolSize) {
    SpoolLimits limits;
    if (!Read("max-job-size", jobSize, limits.job) ||
        !Read("max-spool-size", spoolSize, limits.total))
        return false;
#ifdef THERMAL_SYSTEM_PAPPL
    // A system PAPPL has no spool limits to set.
    (void)system;
#else
    papplSystemSetSpoolLimits(system, limits.job, limits.total);
#endif
    return true;
}

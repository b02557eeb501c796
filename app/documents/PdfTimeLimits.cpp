#include "app/documents/PdfTimeLimits.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kDay = 86400;

bool Read(const char* name, const char* value, int least, int& seconds) {
    if (!value) return true;
    const char* end = value + std::strlen(value);
    int n = 0;
    const auto [stop, error] = std::from_chars(value, end, n);
    if (stop == value || stop != end || error != std::errc() || n < least || n > kDay) {
        std::fprintf(stderr,
                     "thermal-printer-app: Bad '%s' value \"%s\" (seconds, a whole number from "
                     "%d to %d).\n",
                     name, value, least, kDay);
        return false;
    }
    seconds = n;
    return true;
}
}  // namespace

double PdfTimeLimits::JobBound(int pages) const {
    if (job <= 0) return 0;
    return std::min(double(page) * (double(pages) + 1), double(job));
}

bool ReadPdfTimeLimits(const char* page, const char* job, PdfTimeLimits& limits) {
    return Read("pdf-page-time", page, 1, limits.page) && Read("pdf-job-time", job, 0, limits.job);
}

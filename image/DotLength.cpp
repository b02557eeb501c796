#include "image/DotLength.h"

#include <climits>
#include <cmath>
#include <cstdint>

int MmToDots(int dpi, int mm, DotRounding rounding) {
    double dots = static_cast<double>(static_cast<int64_t>(dpi) * mm) / 25.4;
    if (rounding == DotRounding::Up) dots += 0.9999;
    dots = std::trunc(dots);
    if (dots >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (dots <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(dots);
}

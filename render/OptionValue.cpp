#include "render/OptionValue.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

int ChoiceToInt(const char* text) {
    if (!text) return 0;
    errno = 0;
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int TimesEightWrapped(int n) {
    return static_cast<int>(static_cast<uint32_t>(n) << 3);
}

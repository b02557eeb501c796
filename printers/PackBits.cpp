#include "printers/PackBits.h"

#include <algorithm>

namespace {
constexpr size_t kMaxRun = 128;

size_t RunLength(const uint8_t* data, size_t at, size_t size) {
    size_t n = 1;
    while (at + n < size && n < kMaxRun && data[at + n] == data[at]) n++;
    return n;
}
}  // namespace

void AppendPackBits(std::string& out, const uint8_t* data, size_t size) {
    for (size_t at = 0; at < size;) {
        const size_t run = RunLength(data, at, size);
        if (run >= 2) {
            out += static_cast<char>(257 - run);
            out += static_cast<char>(data[at]);
            at += run;
            continue;
        }
        // Literal bytes up to the next repeat.
        size_t end = at + 1;
        while (end < size && end - at < kMaxRun && RunLength(data, end, size) < 2) end++;
        out += static_cast<char>(end - at - 1);
        out.append(reinterpret_cast<const char*>(data + at), end - at);
        at = end;
    }
}

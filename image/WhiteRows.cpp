#include "image/WhiteRows.h"

#include <algorithm>
#include <cstring>

bool IsWhiteRow(const uint8_t* row, size_t bytes) {
    for (size_t i = 0; i < bytes; i++)
        if (row[i]) return false;
    return true;
}

size_t WhiteRunAt(const PackedRows& rows, size_t from) {
    size_t y = from;
    while (y < rows.count && IsWhiteRow(rows.Row(y), rows.bytes)) y++;
    return y - from;
}

size_t LimitWhiteRuns(const PackedRows& rows, size_t limit) {
    size_t kept = 0;
    for (size_t y = 0; y < rows.count;) {
        const size_t white = WhiteRunAt(rows, y);
        const size_t take = white > 0 ? std::min(white, limit) : 1;
        for (size_t i = 0; i < take; i++, kept++)
            if (kept != y + i) std::memmove(rows.Row(kept), rows.Row(y + i), rows.stride);
        y += white > 0 ? white : 1;
    }
    return kept;
}

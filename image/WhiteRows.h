#pragma once

#include <cstddef>
#include <cstdint>

// Rows of a packed 1-bit page in which a set bit is a dot to print: row y
// starts at bits + y * stride and its first `bytes` bytes are printed.
struct PackedRows {
    uint8_t* bits = nullptr;
    size_t stride = 0;
    size_t bytes = 0;
    size_t count = 0;

    uint8_t* Row(size_t y) const { return bits + y * stride; }
};

// A row with no dot to print.
bool IsWhiteRow(const uint8_t* row, size_t bytes);

// Number of consecutive white rows from row `from` on.
size_t WhiteRunAt(const PackedRows& rows, size_t from);

// Shortens every run of white rows longer than `limit` rows to `limit` rows
// (at the top, inside and at the bottom of the page) by moving the later
// rows up in place. Returns the new row count; rows beyond it are stale.
size_t LimitWhiteRuns(const PackedRows& rows, size_t limit);

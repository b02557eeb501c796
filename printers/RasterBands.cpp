#include "printers/RasterBands.h"

#include <algorithm>

namespace {
// Raster blocks of at most maxBand rows for rows [first, end).
void AddBands(std::vector<RowBlock>& plan, size_t first, size_t end, size_t maxBand) {
    do {
        const size_t count = std::min(end - first, maxBand);
        plan.push_back({false, first, count});
        first += count;
    } while (first < end);
}

// End of the run of rows with dots that starts at `from`.
size_t InkRunEnd(const PackedRows& rows, size_t from) {
    size_t y = from;
    while (y < rows.count && !IsWhiteRow(rows.Row(y), rows.bytes)) y++;
    return y;
}
}  // namespace

std::vector<RowBlock> PlanRowBlocks(const PackedRows& rows, size_t maxBand, bool blankFeed) {
    maxBand = std::max<size_t>(maxBand, 1);
    std::vector<RowBlock> plan;
    if (!blankFeed) {
        AddBands(plan, 0, rows.count, maxBand);
        return plan;
    }
    for (size_t y = 0; y < rows.count;) {
        if (const size_t white = WhiteRunAt(rows, y); white > 0) {
            plan.push_back({true, y, white});
            y += white;
            continue;
        }
        const size_t end = InkRunEnd(rows, y);
        AddBands(plan, y, end, maxBand);
        y = end;
    }
    return plan;
}

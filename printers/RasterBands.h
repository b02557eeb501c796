#pragma once

#include <cstddef>
#include <vector>

#include "image/WhiteRows.h"

// One step of sending a page to a printer that takes raster commands and
// paper feeds: `count` rows from row `first` on, either as one raster
// command or, when `feed` is set, as paper feed of that many dots.
struct RowBlock {
    bool feed = false;
    size_t first = 0;
    size_t count = 0;

    bool operator==(const RowBlock&) const = default;
};

// Splits the page into raster commands of at most maxBand rows. With
// blankFeed every run of white rows becomes a feed block, so that no raster
// command starts or ends with a white row. Without it the page is one run of
// commands, at least one even for a page without rows.
std::vector<RowBlock> PlanRowBlocks(const PackedRows& rows, size_t maxBand, bool blankFeed);

// The core helpers behind the receipt options: white-run shortening and the
// split of a page into raster commands and feeds. Pages are written one
// character per row: '#' a row with a dot, '.' a white row.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/DotLength.h"
#include "image/WhiteRows.h"
#include "printers/RasterBands.h"

namespace {
// Two bytes per row; a dot sits in the second byte so that both are read.
struct RowPage {
    std::vector<uint8_t> bits;
    explicit RowPage(const std::string& rows) {
        for (char c : rows) bits.insert(bits.end(), {0x00, c == '#' ? uint8_t{0x01} : uint8_t{0}});
    }
    PackedRows Rows() { return {bits.data(), 2, 2, bits.size() / 2}; }
    std::string Text(size_t count) const {
        std::string s;
        for (size_t y = 0; y < count; y++) s += bits[2 * y + 1] ? '#' : '.';
        return s;
    }
};
}  // namespace

TEST(WhiteRows, RunsLongerThanTheLimitAreShortened) {
    struct Case {
        const char* rows;
        size_t limit;
        const char* kept;
    } cases[] = {
        {"..#...#..", 2, "..#..#.."},
        {"....", 1, "."},
        {"#.#", 1, "#.#"},
        {"###", 0, "###"},
        {"#....#", 0, "##"},
        {"", 3, ""},
        {"...#....", 3, "...#..."},
        {"#..#", 5, "#..#"},
    };
    for (const Case& c : cases) {
        RowPage page(c.rows);
        const size_t kept = LimitWhiteRuns(page.Rows(), c.limit);
        EXPECT_EQ(page.Text(kept), c.kept) << c.rows << " limit " << c.limit;
    }
}

TEST(WhiteRows, PlanSplitsBandsAndTurnsWhiteRunsIntoFeeds) {
    using B = RowBlock;
    struct Case {
        const char* rows;
        size_t band;
        bool blankFeed;
        std::vector<RowBlock> plan;
    } cases[] = {
        {"#..###", 65535, false, {B{false, 0, 6}}},
        {"#..###", 4, false, {B{false, 0, 4}, B{false, 4, 2}}},
        {"", 4, false, {B{false, 0, 0}}},  // one empty command, as for any page
        {"", 4, true, {}},
        {"....", 4, true, {B{true, 0, 4}}},
        {".#..###.",
         2,
         true,
         {B{true, 0, 1}, B{false, 1, 1}, B{true, 2, 2}, B{false, 4, 2}, B{false, 6, 1},
          B{true, 7, 1}}},
        {"##", 0, false, {B{false, 0, 1}, B{false, 1, 1}}},  // a band has at least one row
    };
    for (const Case& c : cases) {
        RowPage page(c.rows);
        EXPECT_EQ(PlanRowBlocks(page.Rows(), c.band, c.blankFeed), c.plan) << c.rows;
    }
}

TEST(WhiteRows, MillimetresTruncateAndStayInRange) {
    struct Case {
        int dpi, mm, dots;
    } cases[] = {{203, 10, 79}, {203, 3, 23}, {300, 5, 59},
                 {203, -5, 0},  {0, 20, 0},   {2147483647, 20, 65535}};
    for (const Case& c : cases)
        EXPECT_EQ(std::clamp(MmToDots(c.dpi, c.mm, DotRounding::Down), 0, 65535), c.dots) << c.dpi;
}

#include "app/documents/CodeAreas.h"

#include <algorithm>
#include <cmath>

#include "app/documents/InkComponents.h"

namespace {
// Cells of about 0.08 in: a few modules of a code printed for a thermal
// printer, and about half a line of small text.
constexpr double kCellsPerInch = 12.5;
// The smallest code taken for one, per side.
constexpr double kSmallestCode = 0.25;

enum class Cell : unsigned char { Other, Code };

struct CellCounts {
    int ink = 0, across = 0, down = 0;
};

// Dark pixels, and changes from dark to light along the rows and columns,
// counted per cell in one pass over the page (changes across a cell's edge
// are left out).
std::vector<CellCounts> CountCells(const GrayImage& page, int side, int columns, int rows) {
    std::vector<CellCounts> counts(size_t(columns) * size_t(rows));
    std::vector<uint8_t> dark(size_t(page.width)), above(size_t(page.width));
    for (int y = 0; y < page.height; y++) {
        const uint8_t* row = page.Row(y);
        for (int x = 0; x < page.width; x++) dark[size_t(x)] = InkComponents::Dark(row[x]);
        CellCounts* cells = &counts[size_t(y / side) * size_t(columns)];
        const bool sameCell = y % side != 0;
        for (int cx = 0; cx < columns; cx++) {
            CellCounts& c = cells[cx];
            const int x0 = cx * side, x1 = std::min(page.width, x0 + side);
            for (int x = x0; x < x1; x++) {
                c.ink += dark[size_t(x)];
                if (x + 1 < x1) c.across += dark[size_t(x)] != dark[size_t(x) + 1];
                if (sameCell) c.down += dark[size_t(x)] != above[size_t(x)];
            }
        }
        std::swap(dark, above);
    }
    return counts;
}

// Stripes change often one way and hardly ever the other; 2-D codes change
// often both ways, with a good share of ink. Rates are changes per pixel.
bool CodeLike(const CellCounts& c, int side) {
    const double area = double(side) * side;
    const double ink = c.ink / area, across = c.across / area, down = c.down / area;
    if (ink < 0.2 || ink > 0.8) return false;
    constexpr double kStriped = 0.07, kStill = 0.01, kChecked = 0.04;
    if ((across >= kStriped && down <= kStill) || (down >= kStriped && across <= kStill))
        return true;
    return ink >= 0.3 && across >= kChecked && down >= kChecked;
}

class CellGrid {
public:
    CellGrid(int columns, int rows)
        : m_columns(columns), m_rows(rows), m_cells(size_t(columns) * size_t(rows)) {}
    Cell& At(int cx, int cy) { return m_cells[size_t(cy) * size_t(m_columns) + size_t(cx)]; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }

private:
    int m_columns, m_rows;
    std::vector<Cell> m_cells;
};

// The code cells joined to (cx, cy), side by side, as a rectangle of cells;
// `count` of them. Each is visited once (marked Other).
PixelRect Cluster(CellGrid& grid, int cx, int cy, int& count) {
    PixelRect r{cx, cy, 1, 1};
    std::vector<std::pair<int, int>> todo{{cx, cy}};
    grid.At(cx, cy) = Cell::Other;
    count = 0;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        count++;
        const int right = std::max(r.x + r.width, x + 1), bottom = std::max(r.y + r.height, y + 1);
        r.x = std::min(r.x, x), r.y = std::min(r.y, y);
        r.width = right - r.x, r.height = bottom - r.y;
        const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        for (const auto& n : next)
            if (n[0] >= 0 && n[1] >= 0 && n[0] < grid.Columns() && n[1] < grid.Rows() &&
                grid.At(n[0], n[1]) == Cell::Code) {
                grid.At(n[0], n[1]) = Cell::Other;
                todo.push_back({n[0], n[1]});
            }
    }
    return r;
}
}  // namespace

std::vector<PixelRect> FindCodeAreas(const GrayImage& page, double dpi) {
    const int side = std::max(4, int(std::lround(dpi / kCellsPerInch)));
    CellGrid grid((page.width + side - 1) / side, (page.height + side - 1) / side);
    const std::vector<CellCounts> counts = CountCells(page, side, grid.Columns(), grid.Rows());
    for (int cy = 0; cy < grid.Rows(); cy++)
        for (int cx = 0; cx < grid.Columns(); cx++)
            if (CodeLike(counts[size_t(cy) * size_t(grid.Columns()) + size_t(cx)], side))
                grid.At(cx, cy) = Cell::Code;
    // A code is a solid patch of such cells, large enough; text makes
    // patches a line high, or thin ones.
    const int smallest = std::max(2, int(std::ceil(kSmallestCode * kCellsPerInch)) - 1);
    std::vector<PixelRect> codes;
    for (int cy = 0; cy < grid.Rows(); cy++)
        for (int cx = 0; cx < grid.Columns(); cx++) {
            if (grid.At(cx, cy) != Cell::Code) continue;
            int count = 0;
            const PixelRect r = Cluster(grid, cx, cy, count);
            if (r.width < smallest || r.height < smallest || count * 2 < r.width * r.height)
                continue;
            codes.push_back({r.x * side, r.y * side, r.width * side, r.height * side});
        }
    return codes;
}

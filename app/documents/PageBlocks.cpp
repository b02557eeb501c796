#include "app/documents/PageBlocks.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {
// The grid the page is cut on, and the white gap that parts two blocks.
constexpr double kCellsPerInch = 25;
constexpr double kGapInches = 0.12;
// A dash of a cut line: thin, at least twice as long, at most this long;
// a line of at least this many, this long, with gaps no longer than a dash.
constexpr double kDashThickness = 0.04;
constexpr double kLongestDash = 0.5;
constexpr double kShortestDash = 0.03;
constexpr int kDashes = 5;
constexpr double kShortestLine = 1.5;
// A solid fold line: thin and across most of the page.
constexpr double kFoldShare = 0.6;
// Enough for any page's cuts; the rest are not looked at.
constexpr size_t kMostCandidates = 20000;

struct Dash {
    int along, across, length;  // start, position across, length
    int shape;
};

// Dashes lying on one line (across within 2 pixels), in order along it.
void MarkDashedLines(std::vector<Dash> dashes, double dpi, std::vector<bool>& separator) {
    std::sort(dashes.begin(), dashes.end(), [](const Dash& a, const Dash& b) {
        return a.across != b.across ? a.across < b.across : a.along < b.along;
    });
    const int longestGap = int(kLongestDash * dpi);
    std::vector<bool> used(dashes.size(), false);
    for (size_t i = 0; i < dashes.size(); i++) {
        if (used[i]) continue;
        std::vector<size_t> line{i};
        int end = dashes[i].along + dashes[i].length;
        for (size_t j = i + 1; j < dashes.size() && dashes[j].across <= dashes[i].across + 2; j++) {
            if (used[j] || dashes[j].along < end || dashes[j].along - end > longestGap) continue;
            line.push_back(j);
            end = dashes[j].along + dashes[j].length;
        }
        if (int(line.size()) < kDashes || end - dashes[i].along < kShortestLine * dpi) continue;
        for (size_t k : line) used[k] = true, separator[size_t(dashes[k].shape)] = true;
    }
}

std::vector<bool> FindSeparators(const InkComponents& ink, int width, int height, double dpi) {
    std::vector<bool> separator(ink.Shapes().size(), false);
    std::vector<Dash> across, down;
    const double thin = kDashThickness * dpi, shortest = kShortestDash * dpi,
                 longest = kLongestDash * dpi;
    for (size_t i = 0; i < ink.Shapes().size(); i++) {
        const PixelRect& b = ink.Shapes()[i].box;
        if (b.height <= thin && b.width >= kFoldShare * width) separator[i] = true;
        if (b.width <= thin && b.height >= kFoldShare * height) separator[i] = true;
        const auto dash = [&](int length, int thickness) {
            return thickness <= thin && length >= 2 * thickness && length >= shortest &&
                   length <= longest;
        };
        if (dash(b.width, b.height)) across.push_back({b.x, b.y + b.height / 2, b.width, int(i)});
        if (dash(b.height, b.width)) down.push_back({b.y, b.x + b.width / 2, b.height, int(i)});
    }
    MarkDashedLines(across, dpi, separator);
    MarkDashedLines(down, dpi, separator);
    return separator;
}

// Which cells hold ink, with sums for counting any rectangle's at once.
class InkCells {
public:
    InkCells(int columns, int rows)
        : m_columns(columns), m_rows(rows), m_sum(size_t(columns + 1) * size_t(rows + 1), 0) {}
    void Set(int cx, int cy) { m_sum[Index(cx + 1, cy + 1)] = 1; }
    // Turns the marks into sums of the rectangle above and left.
    void Sum() {
        for (int y = 1; y <= m_rows; y++)
            for (int x = 1; x <= m_columns; x++)
                m_sum[Index(x, y)] +=
                    m_sum[Index(x - 1, y)] + m_sum[Index(x, y - 1)] - m_sum[Index(x - 1, y - 1)];
    }
    int Count(int x, int y, int w, int h) const {
        return m_sum[Index(x + w, y + h)] - m_sum[Index(x, y + h)] - m_sum[Index(x + w, y)] +
               m_sum[Index(x, y)];
    }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }

private:
    size_t Index(int x, int y) const { return size_t(y) * size_t(m_columns + 1) + size_t(x); }
    int m_columns, m_rows;
    std::vector<int> m_sum;
};

// Cuts in cells: rectangles (x, y, width, height) of the grid.
class Cutter {
public:
    Cutter(const InkCells& cells, int gap, std::vector<PixelRect>& out)
        : m_cells(cells), m_gap(gap), m_out(out) {}

    void Cut(PixelRect r) {
        if (!Trim(r) || m_out.size() >= kMostCandidates) return;
        std::vector<PixelRect> parts = Split(r, true);
        if (parts.size() < 2) parts = Split(r, false);
        if (parts.size() < 2) return m_out.push_back(r);
        for (PixelRect& part : parts) {
            Trim(part);
            Cut(part);
        }
        // Runs of two or more neighbouring parts (the whole among them).
        for (size_t i = 0; i < parts.size(); i++)
            for (size_t j = i + 1; j < parts.size() && m_out.size() < kMostCandidates; j++)
                m_out.push_back(Union(parts, i, j));
    }

private:
    int Line(const PixelRect& r, bool rows, int at) const {
        return rows ? m_cells.Count(r.x, at, r.width, 1) : m_cells.Count(at, r.y, 1, r.height);
    }

    // Shrinks the rectangle to its ink; false when it has none.
    bool Trim(PixelRect& r) const {
        if (m_cells.Count(r.x, r.y, r.width, r.height) == 0) return false;
        while (Line(r, true, r.y) == 0) r.y++, r.height--;
        while (Line(r, true, r.y + r.height - 1) == 0) r.height--;
        while (Line(r, false, r.x) == 0) r.x++, r.width--;
        while (Line(r, false, r.x + r.width - 1) == 0) r.width--;
        return true;
    }

    // The parts between white gaps of at least m_gap rows (or columns).
    std::vector<PixelRect> Split(const PixelRect& r, bool rows) const {
        std::vector<PixelRect> parts;
        const int start = rows ? r.y : r.x, end = start + (rows ? r.height : r.width);
        int partStart = start, white = 0;
        for (int at = start; at < end; at++) {
            if (Line(r, rows, at) > 0) {
                if (white >= m_gap && at - white > partStart) {
                    parts.push_back(Part(r, rows, partStart, at - white));
                    partStart = at;
                }
                white = 0;
            } else {
                white++;
            }
        }
        parts.push_back(Part(r, rows, partStart, end - white));
        return parts;
    }

    static PixelRect Part(const PixelRect& r, bool rows, int from, int to) {
        return rows ? PixelRect{r.x, from, r.width, to - from}
                    : PixelRect{from, r.y, to - from, r.height};
    }

    static PixelRect Union(const std::vector<PixelRect>& parts, size_t first, size_t last) {
        int left = parts[first].x, top = parts[first].y, right = left, bottom = top;
        for (size_t k = first; k <= last; k++) {
            left = std::min(left, parts[k].x);
            top = std::min(top, parts[k].y);
            right = std::max(right, parts[k].x + parts[k].width);
            bottom = std::max(bottom, parts[k].y + parts[k].height);
        }
        return {left, top, right - left, bottom - top};
    }

    const InkCells& m_cells;
    int m_gap;
    std::vector<PixelRect>& m_out;
};
}  // namespace

PageBlocks::PageBlocks(const InkComponents& ink, int width, int height, double dpi)
    : m_ink(ink), m_separator(FindSeparators(ink, width, height, dpi)) {
    const int side = std::max(2, int(std::lround(dpi / kCellsPerInch)));
    InkCells cells((width + side - 1) / side, (height + side - 1) / side);
    for (const InkComponents::Run& run : ink.Runs())
        if (!m_separator[size_t(run.shape)])
            for (int cx = run.x / side; cx <= (run.end - 1) / side; cx++)
                cells.Set(cx, run.y / side);
    cells.Sum();
    const int gap = std::max(1, int(std::lround(kGapInches * kCellsPerInch)));
    std::vector<PixelRect> inCells;
    Cutter(cells, gap, inCells).Cut(PixelRect{0, 0, cells.Columns(), cells.Rows()});
    m_candidates.reserve(inCells.size());
    for (const PixelRect& c : inCells)
        m_candidates.push_back({c.x * side, c.y * side,
                                std::min(c.width * side, width - c.x * side),
                                std::min(c.height * side, height - c.y * side)});
}

PixelRect PageBlocks::Tighten(const PixelRect& r) const {
    int left = r.x + r.width, top = r.y + r.height, right = r.x, bottom = r.y;
    for (const InkComponents::Run& run : m_ink.Runs()) {
        if (m_separator[size_t(run.shape)] || run.y < r.y || run.y >= r.y + r.height) continue;
        const int x0 = std::max(run.x, r.x), x1 = std::min(run.end, r.x + r.width);
        if (x0 >= x1) continue;
        left = std::min(left, x0), right = std::max(right, x1);
        top = std::min(top, run.y), bottom = std::max(bottom, run.y + 1);
    }
    if (right <= left) return r;
    return {left, top, right - left, bottom - top};
}

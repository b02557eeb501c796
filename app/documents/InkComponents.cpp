#include "app/documents/InkComponents.h"

#include <algorithm>
#include <numeric>

namespace {
// Union-find over the runs' indexes.
class Groups {
public:
    explicit Groups(size_t count) : m_parent(count) {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int Root(int i) {
        while (m_parent[size_t(i)] != i)
            i = m_parent[size_t(i)] = m_parent[size_t(m_parent[size_t(i)])];
        return i;
    }
    void Join(int a, int b) {
        a = Root(a), b = Root(b);
        if (a != b) m_parent[size_t(std::max(a, b))] = std::min(a, b);
    }

private:
    std::vector<int> m_parent;
};

void AddRuns(const GrayImage& page, int y, std::vector<InkComponents::Run>& runs) {
    const uint8_t* row = page.Row(y);
    for (int x = 0; x < page.width;) {
        if (!InkComponents::Dark(row[x])) {
            x++;
            continue;
        }
        const int start = x;
        while (x < page.width && InkComponents::Dark(row[x])) x++;
        runs.push_back({y, start, x, -1});
    }
}
}  // namespace

InkComponents::InkComponents(const GrayImage& page) {
    std::vector<size_t> rowStart(size_t(page.height) + 1, 0);
    for (int y = 0; y < page.height; y++) {
        rowStart[size_t(y)] = m_runs.size();
        AddRuns(page, y, m_runs);
    }
    rowStart[size_t(page.height)] = m_runs.size();
    Groups groups(m_runs.size());
    // Each run joins the runs of the row above that touch it, corners too.
    for (int y = 1; y < page.height; y++) {
        size_t above = rowStart[size_t(y) - 1];
        const size_t aboveEnd = rowStart[size_t(y)];
        for (size_t i = rowStart[size_t(y)]; i < rowStart[size_t(y) + 1]; i++) {
            const Run& run = m_runs[i];
            while (above < aboveEnd && m_runs[above].end < run.x) above++;
            for (size_t j = above; j < aboveEnd && m_runs[j].x <= run.end; j++)
                groups.Join(int(i), int(j));
        }
    }
    std::vector<int> shapeOf(m_runs.size(), -1);
    for (size_t i = 0; i < m_runs.size(); i++) {
        Run& run = m_runs[i];
        const size_t root = size_t(groups.Root(int(i)));
        if (shapeOf[root] < 0) {
            shapeOf[root] = int(m_shapes.size());
            m_shapes.push_back({PixelRect{run.x, run.y, 0, 0}, 0});
        }
        run.shape = shapeOf[root];
        Shape& s = m_shapes[size_t(run.shape)];
        const int right = std::max(s.box.x + s.box.width, run.end);
        const int bottom = std::max(s.box.y + s.box.height, run.y + 1);
        s.box.x = std::min(s.box.x, run.x);
        s.box.y = std::min(s.box.y, run.y);
        s.box.width = right - s.box.x;
        s.box.height = bottom - s.box.y;
        s.pixels += run.end - run.x;
    }
}
